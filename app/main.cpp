#include "AppInfo.h"
#include "Brevane.h"
#include "EngineLog.h"
#include "Halvora.h"
#include "Platform.h"
#include "QtTranslation.h"
#include "SingleInstance.h"
#include "UiScale.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kAppVersion));
    QtTranslation::install(&app);

    // A second copy would record into the same segment files as the first.
    SingleInstance instance(QStringLiteral("quellin-recorder"));
    if (!instance.isFirst()) {
        QTextStream(stderr)
            << "Quellin: the recorder is already running; its window was brought to the front.\n";
        return 0;
    }

    // The capture tool is started by its bare name and lives beside the program.
    Platform::putProgramDirFirstOnSearchPath();
    if (Platform::applicationDirMoved())
        writeLog(QStringLiteral("program folder is not writable, program files are kept in: ") +
                 Platform::applicationDir());

    qRegisterMetaType<HalvoraJsonValue>("QValue");
    halvoraInit();
    computeUiScale();
    halvoraStartHttp(3);
    halvoraSetAppTitle(QString::fromUtf8(kAppTitle));

    auto *window = new Brevane(nullptr);
    window->setWindowTitle(QCoreApplication::translate("Brevane", kAppTitle));
    window->setWindowIcon(QIcon(QStringLiteral(":/images/title.png")));
    window->show();
    QObject::connect(&instance, &SingleInstance::activationRequested, window,
                     &Brevane::slot_anotherInstanceStarted);
    const int result = app.exec();

    halvoraStopHttp();
    halvoraRelease();
    delete window;
    return result;
}
