#include "ui/kit/read_progress_view.h"

#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

ReadProgressView::ReadProgressView(QWidget* parent)
    : QWidget(parent), bar_(new QProgressBar(this)), countLabel_(new QLabel(this)) {
    setObjectName(QStringLiteral("readProgress"));
    // The count of a read is known, its end is not: the bar only shows that it runs.
    bar_->setRange(0, 0);
    bar_->setTextVisible(false);
    bar_->setMaximumHeight(countLabel_->sizeHint().height());
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar_, 1);
    layout->addWidget(countLabel_);
    hide();
}

ReadProgressView::~ReadProgressView() = default;

void ReadProgressView::WaitUntil(const std::function<bool()>& done,
                                 const std::function<QString()>& countText) {
    if (loop_ != nullptr || done()) {
        return;
    }
    QEventLoop loop;
    QTimer refresh;
    QTimer showLater;
    const auto update = [this, &countText] { countLabel_->setText(countText()); };
    QObject::connect(&refresh, &QTimer::timeout, this, update);
    QObject::connect(&showLater, &QTimer::timeout, this, [this, &refresh, update] {
        update();
        show();
        if (!window()->isVisible()) {
            window()->show();
        }
        refresh.start(kRefreshMs);
    });
    showLater.setSingleShot(true);
    showLater.start(kShowAfterMs);
    loop_ = &loop;
    done_ = done;
    // Input goes on reaching the screen, whose commands know that a read runs.
    loop.exec();
    loop_ = nullptr;
    done_ = nullptr;
    hide();
}

void ReadProgressView::Wake() {
    if (loop_ != nullptr && done_ && done_()) {
        loop_->quit();
    }
}
