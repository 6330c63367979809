#include <QtTest>

class TestStandinTool : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(TestStandinTool)
#include "tst_standin_tool.moc"
