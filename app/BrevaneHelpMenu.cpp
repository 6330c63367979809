// Help menu and web links; the pages behind the keys belong to the vendor library.
#include "Brevane.h"

#include <QAction>
#include <QMenu>

void Brevane::buildHelpMenu()
{
    helpMenu = new QMenu(this);

    auto *tutorial = new QAction(tr("使用教程"), this);
    connect(tutorial, &QAction::triggered, tutorial,
            [] { halvoraOpenLink(QStringLiteral("tutorial"), QString()); });
    auto *home = new QAction(tr("产品官网"), this);
    connect(home, &QAction::triggered, home, [] { halvoraOpenLink(QStringLiteral("home"), QString()); });
    auto *about = new QAction(tr("关于我们"), this);
    connect(about, &QAction::triggered, about, [this] { halvora.showAboutBox(); });
    auto *update = new QAction(tr("检查更新"), this);
    connect(update, &QAction::triggered, update, [this] { halvora.checkForUpdates(true); });

    helpMenu->addAction(tutorial);
    helpMenu->addAction(home);
    helpMenu->addAction(about);
    helpMenu->addAction(update);
}

void Brevane::slot_contactCustomer()
{
    halvoraOpenLink(QStringLiteral("chatwithus"), QString());
}
