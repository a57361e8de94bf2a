#pragma once

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

// Drives the modal dialogs a screen opens, one step per dialog, in order: each step
// runs on the next modal widget that appears for the first time; a step that opens a
// nested dialog may go on with its own dialog once the nested one has closed. A step runs from its
// own zero timer, so that a step which opens a further modal dialog does not hold up the steps
// after it. As a watchdog it closes any modal widget that no step is left for, or that a step left
// open for too long, and counts it as stray, so a test never hangs.
class ModalScript : public QObject {
public:
    using Step = std::function<void(QWidget* modal)>;

    ModalScript() {
        poll_.setInterval(10);
        QObject::connect(&poll_, &QTimer::timeout, this, [this] { Poll(); });
        poll_.start();
    }

    // Adds a step for the next modal widget.
    void Then(Step step) { steps_.push_back(std::move(step)); }

    // Adds a step that records the next modal widget as a message box (its caption,
    // text and icon go to boxes()) and presses its OK button.
    void ThenAcceptBox() {
        Then([this](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr) {
                ++stray_;
                CloseModal(modal);
                return;
            }
            boxes_.push_back({box->windowTitle(), box->text(), box->icon()});
            box->accept();
        });
    }

    struct Box {
        QString caption;
        QString text;
        QMessageBox::Icon icon;
    };
    const std::vector<Box>& boxes() const { return boxes_; }
    // Steps that have not run yet.
    std::size_t pendingSteps() const { return steps_.size(); }
    // Modal widgets the watchdog had to close.
    int strayCount() const { return stray_; }

private:
    // Ticks a modal widget may stay open after its step ran before it counts as stray.
    static constexpr int kPatienceTicks = 1000;

    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) {
            return;
        }
        if (modal != current_) {
            current_ = modal;
            waited_ = 0;
        }
        if (!WasSeen(modal)) {
            seen_.emplace_back(modal);
            if (steps_.empty()) {
                ++stray_;
                CloseModal(modal);
                return;
            }
            Step step = std::move(steps_.front());
            steps_.pop_front();
            QPointer<QWidget> target(modal);
            QTimer::singleShot(0, this, [target, step = std::move(step)] {
                if (target != nullptr) {
                    step(target);
                }
            });
            return;
        }
        // A dialog whose step has run (and whose nested dialogs have closed) should
        // have ended by now.
        if (++waited_ > kPatienceTicks) {
            ++stray_;
            waited_ = 0;
            CloseModal(modal);
        }
    }

    bool WasSeen(const QWidget* modal) const {
        for (const QPointer<QWidget>& seen : seen_) {
            if (seen == modal) {
                return true;
            }
        }
        return false;
    }

    static void CloseModal(QWidget* modal) {
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->done(QDialog::Rejected);
        } else {
            modal->close();
        }
    }

    QTimer poll_;
    std::deque<Step> steps_;
    QPointer<QWidget> current_;
    std::vector<QPointer<QWidget>> seen_;
    std::vector<Box> boxes_;
    int waited_ = 0;
    int stray_ = 0;
};
