#include "ui/kit/softkey_bar.h"

#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>

#include "resources/menu_bar_table.h"
#include "resources/string_table.h"

namespace {

QString LabelText(int labelId) {
    const auto text = LoadString(labelId);
    return text ? QString::fromStdU16String(std::u16string(*text)) : QString();
}

}  // namespace

SoftkeyBar* SoftkeyBar::Create(int barId, QWidget* owner, CommandHandler onCommand,
                               PopupHandler onPopup) {
    const MenuBarResource* bar = FindMenuBar(barId);
    if (bar == nullptr || bar->softkeys.empty() || bar->softkeys.size() > 2) {
        return nullptr;
    }
    auto* softkeys = new SoftkeyBar(*bar, owner, std::move(onCommand), std::move(onPopup));
    for (std::size_t i = 0; i < bar->softkeys.size(); ++i) {
        const auto& key = bar->softkeys[i];
        if (!softkeys->AddSoftkey(static_cast<int>(i), key.commandId, key.labelId,
                                  key.popupIndex)) {
            delete softkeys;
            return nullptr;
        }
    }
    return softkeys;
}

SoftkeyBar::SoftkeyBar(const MenuBarResource& bar, QWidget* owner, CommandHandler onCommand,
                       PopupHandler onPopup)
    : QWidget(owner),
      barId_(bar.barId),
      menuId_(bar.menuId),
      onCommand_(std::move(onCommand)),
      onPopup_(std::move(onPopup)) {
    setObjectName(QStringLiteral("softkeyBar%1").arg(barId_));
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

bool SoftkeyBar::AddSoftkey(int index, int commandId, int labelId, int popupIndex) {
    QMenu* popup = nullptr;
    if (popupIndex >= 0) {
        const PopupMenuResource* resource = FindPopupMenu(menuId_, popupIndex);
        if (resource == nullptr) {
            return false;
        }
        popup = new QMenu(this);
        FillMenu(*popup, resource->items.data(), resource->items.size());
        QObject::connect(popup, &QMenu::aboutToShow, this, [this, popup] {
            if (onPopup_) {
                onPopup_(menuId_, *popup);
            }
        });
    }
    auto* button = new QPushButton(LabelText(labelId), this);
    // A focusable or default button would take Return away from the screen.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setObjectName(QStringLiteral("softkey%1").arg(index));
    QObject::connect(button, &QPushButton::clicked, this, [this, index] { Press(index); });
    static_cast<QHBoxLayout*>(layout())->addWidget(button, 1);
    buttons_[static_cast<std::size_t>(index)] = button;
    popups_[static_cast<std::size_t>(index)] = popup;
    commands_[static_cast<std::size_t>(index)] = commandId;
    softkeyCount_ = index + 1;
    return true;
}

void SoftkeyBar::FillMenu(QMenu& menu, const MenuItemResource* items, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const MenuItemResource& item = items[i];
        const QString text = QString::fromStdU16String(std::u16string(item.text));
        if (!item.subItems.empty()) {
            QMenu* submenu = menu.addMenu(text);
            FillMenu(*submenu, item.subItems.data(), item.subItems.size());
        } else if (item.commandId == 0) {
            menu.addSeparator();
        } else {
            QAction* action = menu.addAction(text);
            action->setData(item.commandId);
            const int commandId = item.commandId;
            QObject::connect(action, &QAction::triggered, this, [this, commandId] {
                if (onCommand_) {
                    onCommand_(commandId);
                }
            });
        }
    }
}

bool SoftkeyBar::Press(int index) {
    if (index < 0 || index >= softkeyCount_) {
        return false;
    }
    const auto slot = static_cast<std::size_t>(index);
    if (!buttons_[slot]->isEnabled()) {
        return true;
    }
    if (QMenu* popup = popups_[slot]) {
        // The popup opens above its softkey, as the phone's menus do.
        const QPushButton* button = buttons_[slot];
        const QSize size = popup->sizeHint();
        QPoint place = button->mapToGlobal(QPoint(0, 0));
        place.ry() -= size.height();
        if (index == 1) {
            place.rx() += button->width() - size.width();
        }
        popup->exec(place);
        return true;
    }
    if (onCommand_) {
        onCommand_(commands_[slot]);
    }
    return true;
}

void SoftkeyBar::SetCommandEnabled(int commandId, bool enabled) {
    for (int i = 0; i < softkeyCount_; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        if (popups_[slot] == nullptr && commands_[slot] == commandId) {
            buttons_[slot]->setEnabled(enabled);
        }
    }
}

QPushButton* SoftkeyBar::softkey(int index) const {
    return index >= 0 && index < softkeyCount_ ? buttons_[static_cast<std::size_t>(index)]
                                               : nullptr;
}

QMenu* SoftkeyBar::popupMenu(int index) const {
    return index >= 0 && index < softkeyCount_ ? popups_[static_cast<std::size_t>(index)] : nullptr;
}

int SoftkeyBar::CommandOf(const QAction& action) {
    return action.menu() != nullptr || action.isSeparator() ? 0 : action.data().toInt();
}

void SoftkeyBar::EnableMenuCommand(QMenu& menu, int commandId, bool enabled) {
    for (QAction* action : menu.actions()) {
        if (QMenu* submenu = action->menu()) {
            EnableMenuCommand(*submenu, commandId, enabled);
        } else if (CommandOf(*action) == commandId) {
            action->setEnabled(enabled);
        }
    }
}
