#include "ui/kit/run_dialog.h"

#include <QWidget>

#include "ui/kit/dialog_controller.h"

int RunDialog(DialogController& controller, QWidget* parent) {
    if (parent != nullptr) {
        controller.setParent(parent, controller.windowFlags() | Qt::Dialog);
        // Each screen covers the whole program window, as on the phone.
        controller.setGeometry(parent->window()->geometry());
    } else {
        controller.resize(kPhoneWindowSize);
    }
    controller.setMinimumSize(kMinimumWindowSize);
    controller.setModal(true);
    controller.InitDialog();
    if (controller.hasEnded()) {
        return controller.endCode();
    }
    for (QWidget* child : controller.findChildren<QWidget*>()) {
        if (child->focusPolicy() != Qt::NoFocus) {
            controller.WatchKeys(child);
        }
    }
    const int result = controller.exec();
    return controller.hasEnded() ? controller.endCode() : result;
}
