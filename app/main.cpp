#include "AppInfo.h"
#include "Brevane.h"
#include "Halvora.h"
#include "Platform.h"
#include "UiScale.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kAppVersion));
    // The capture tool is started by its bare name and lives beside the program.
    Platform::putProgramDirFirstOnSearchPath();

    qRegisterMetaType<HalvoraJsonValue>("QValue");
    halvoraInit();
    computeUiScale();
    halvoraStartHttp(3);
    halvoraSetAppTitle(QString::fromUtf8(kAppTitle));

    auto *window = new Brevane(nullptr);
    window->setWindowTitle(QCoreApplication::translate("Brevane", kAppTitle));
    window->setWindowIcon(QIcon(QStringLiteral(":/images/title.png")));
    window->show();
    const int result = app.exec();

    halvoraStopHttp();
    halvoraRelease();
    delete window;
    return result;
}
