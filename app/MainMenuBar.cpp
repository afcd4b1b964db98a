#include "app/MainMenuBar.h"

#include "platform/framework/Dialog.h"

#include <QMenu>

#include <array>

namespace pelmora {

namespace {

constexpr int kSeparator = 0;
constexpr int kUnused = -1; // columns shorter than the longest

struct MenuItem {
    int id;
    const char* text;
};

struct MenuColumn {
    const char* text;
    std::array<MenuItem, 4> items;
};

constexpr std::array<MenuColumn, 3> kMenu128 = {{
    {"File", {{{32792, "Save settings now"}, {kSeparator, ""}, {32778, "Exit"}, {kUnused, ""}}}},
    {"Tools",
        {{{32791, "Advanced settings"}, {32793, "Groups"}, {32797, "Schedule"},
            {32798, "History"}}}},
    {"Help", {{{32795, "Help file"}, {kSeparator, ""}, {32782, "About..."}, {kUnused, ""}}}},
}};

} // namespace

CMainMenuBar::CMainMenuBar(dlg::CDialog& window)
    : QMenuBar(&window)
{
    setNativeMenuBar(false);
    for (const MenuColumn& column : kMenu128) {
        QMenu* menu = addMenu(QString::fromLatin1(column.text));
        for (const MenuItem& item : column.items) {
            if (item.id == kSeparator) {
                menu->addSeparator();
            } else if (item.id > 0) {
                const int id = item.id;
                QAction* action = menu->addAction(QString::fromLatin1(item.text));
                action->setData(id);
                connect(action, &QAction::triggered, &window,
                    [&window, id] { window.RouteCommand(id); });
            }
        }
    }
}

QAction* CMainMenuBar::CommandAction(int id) const
{
    for (QAction* top : actions())
        if (QMenu* menu = top->menu())
            for (QAction* action : menu->actions())
                if (!action->isSeparator() && action->data().toInt() == id)
                    return action;
    return nullptr;
}

} // namespace pelmora
