#include "Halvora.h"

#include "HalvoraAboutDialog.h"
#include "HalvoraLibrary.h"
#include "HalvoraLinkTable.h"

#include <QApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <algorithm>

namespace {
const char recommendStripName[] = "halvoraRecommendStrip";

// Widgets need a QApplication; without one the GUI calls do nothing.
bool haveWidgetApplication(const char *what)
{
    if (qobject_cast<QApplication *>(QCoreApplication::instance()))
        return true;
    qDebug() << "halvora:" << what << "needs a QApplication, ignored";
    return false;
}

QString applicationVersion()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral(HALVORA_FALLBACK_VERSION) : version;
}

QString applicationTitle()
{
    const QString title = HalvoraLibrary::instance().appTitle();
    return title.isEmpty() ? QGuiApplication::applicationDisplayName() : title;
}

// Resource paths are case-sensitive, file names on the target platform are
// not: a resource path that names nothing is looked up again one segment at
// a time, ignoring letter case. Returns the path unchanged when nothing matches.
QString resolveResourcePath(const QString &path)
{
    if (!path.startsWith(QLatin1String(":/")) || QFileInfo::exists(path))
        return path;
    QString resolved = QStringLiteral(":");
    const QStringList segments = path.mid(2).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &segment : segments) {
        const QStringList entries =
            QDir(resolved + QLatin1Char('/')).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        const auto match = std::find_if(entries.cbegin(), entries.cend(), [&segment](const QString &entry) {
            return entry.compare(segment, Qt::CaseInsensitive) == 0;
        });
        if (match == entries.cend())
            return path;
        resolved += QLatin1Char('/') + *match;
    }
    return resolved;
}

// The image given by halvoraSetAboutImage, else the window's icon (which is the
// application's icon when the window has none), else nothing.
QPixmap aboutImage(const QWidget *window)
{
    const QString path = resolveResourcePath(HalvoraLibrary::instance().aboutImage());
    if (!path.isEmpty()) {
        const QPixmap image(path);
        if (!image.isNull())
            return image;
        qDebug() << "halvora: about image" << path << "cannot be loaded, using the window icon";
    }
    const QIcon icon = window ? window->windowIcon() : QApplication::windowIcon();
    return icon.isNull() ? QPixmap() : icon.pixmap(64, 64);
}
} // namespace

void halvoraInit()
{
    HalvoraLibrary::instance().init();
}

void halvoraStartHttp(int workers)
{
    HalvoraLibrary::instance().startHttp(workers);
}

void halvoraSetAppTitle(const QString &title)
{
    HalvoraLibrary::instance().setAppTitle(title);
}

void halvoraStopHttp()
{
    HalvoraLibrary::instance().stopHttp();
}

void halvoraRelease()
{
    HalvoraLibrary::instance().release();
}

void halvoraSetAboutImage(const QString &path)
{
    HalvoraLibrary::instance().setAboutImage(path);
}

void halvoraOpenLink(const QString &key, const QString &extra)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        qDebug() << "halvora: opening links needs a QGuiApplication, ignored";
        return;
    }
    const QUrl url = HalvoraLinkTable(HalvoraLibrary::pageDir()).urlFor(key, extra);
    if (!url.isValid()) {
        qDebug() << "halvora: no page for link key" << key;
        return;
    }
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) {
        qDebug() << "halvora: page for link key" << key << "is missing:" << url.toLocalFile();
        return;
    }
    if (!QDesktopServices::openUrl(url))
        qDebug() << "halvora: cannot open" << url.toString() << "for link key" << key;
}

HalvoraHelper::HalvoraHelper(QWidget *parent, QObject *other) : QObject(parent), m_parentWidget(parent)
{
    Q_UNUSED(other)
}

HalvoraHelper::~HalvoraHelper() = default;

void HalvoraHelper::showRecommendations(QWidget *host)
{
    if (!host) {
        qDebug() << "halvora: no host for the recommendation strip";
        return;
    }
    if (host->findChild<QLabel *>(QLatin1String(recommendStripName), Qt::FindDirectChildrenOnly))
        return;
    auto *strip = new QLabel(tr("精选推荐：更多实用小工具，敬请期待"), host);
    strip->setObjectName(QLatin1String(recommendStripName));
    if (QLayout *layout = host->layout()) {
        layout->addWidget(strip);
    } else {
        auto *stripLayout = new QHBoxLayout(host);
        stripLayout->setContentsMargins(0, 0, 0, 0);
        stripLayout->addWidget(strip);
    }
}

void HalvoraHelper::showAboutBox()
{
    if (!haveWidgetApplication("the about box"))
        return;
    // Not on the stack: the parent window may be destroyed while the box is
    // open, and takes the box with it. Nothing of this object is touched after
    // exec() for the same reason.
    QPointer<HalvoraAboutDialog> dialog = new HalvoraAboutDialog(m_parentWidget);
    dialog->setAppTitle(applicationTitle());
    dialog->setVersion(applicationVersion());
    dialog->setImage(aboutImage(m_parentWidget));
    dialog->exec();
    delete dialog.data();
}

void HalvoraHelper::checkForUpdates(bool interactive)
{
    // There is no update service to ask: the running version is the latest.
    if (!interactive) {
        qDebug() << "halvora: update check: version" << applicationVersion() << "is current";
        return;
    }
    if (!haveWidgetApplication("the update check"))
        return;
    auto *box = new QMessageBox(QMessageBox::Information, tr("检查更新"),
                                tr("当前已是最新版本（%1）").arg(applicationVersion()), QMessageBox::Ok,
                                m_parentWidget);
    box->button(QMessageBox::Ok)->setText(tr("确定"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
