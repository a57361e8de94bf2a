#include "ui/games_list/games_list_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>
#include <system_error>

#include "contacts/owner_identity.h"
#include "game/game_document.h"
#include "pgn/game_reader.h"
#include "pgn/games_file.h"
#include "pgn/games_file_update.h"
#include "resources/resource_ids.h"
#include "ui/games_list/answer_waiting.h"
#include "ui/games_list/games_list_model.h"
#include "ui/kit/about_box.h"
#include "ui/kit/display_title.h"
#include "ui/kit/message_boxes.h"
#include "ui/kit/read_progress_view.h"
#include "ui/kit/softkey_bar.h"
#include "ui/kit/wait_cursor.h"

Q_LOGGING_CATEGORY(lcGamesList, "korvani.gameslist", QtInfoMsg)

namespace {

// Whose opponents are marked when no owner was handed in: nobody's.
const OwnerIdentity kNobody;

// The margin around the list, and the gap the columns leave for the list's frame.
constexpr int kMargin = 3;
constexpr int kColumnGap = 2;
constexpr int kColumnCount = 3;

}  // namespace

std::unique_ptr<InboxSendersRead> StartInboxSendersRead(std::vector<std::filesystem::path> stores,
                                                        std::filesystem::path cacheFile) {
    if (stores.empty()) {
        return nullptr;
    }
    return std::make_unique<InboxSendersRead>(
        [stores = std::move(stores),
         cacheFile = std::move(cacheFile)](const ReadProgress& progress) {
            return ReadNewestMessages(stores, progress, cacheFile);
        });
}

std::filesystem::path DefaultSenderCachePath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (folder.isEmpty()) {
        return {};
    }
    return QDir(folder).filePath(QStringLiteral("korvani/inbox-senders")).toStdString();
}

GamesListDialog::GamesListDialog(std::filesystem::path gamesPath)
    : DialogController(nullptr),
      gamesPath_(std::move(gamesPath)),
      model_(new GamesListModel(this)),
      listView_(new QTableView(this)),
      countLabel_(new QLabel(QStringLiteral("Games :"), this)),
      progress_(new ReadProgressView(this)) {
    readIndex = [](const std::filesystem::path& path, const ReadProgress& progress) {
        return ReadGamesIndex(path, progress);
    };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kMargin);
    countLabel_->setObjectName(QStringLiteral("countLabel"));
    listView_->setObjectName(QStringLiteral("gamesList"));
    listView_->setModel(model_);
    // A table lays out any number of rows without visiting them; rows keep one height.
    listView_->verticalHeader()->hide();
    listView_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    listView_->verticalHeader()->setDefaultSectionSize(listView_->fontMetrics().height() + 2);
    listView_->setShowGrid(false);
    listView_->setWordWrap(false);
    listView_->setTabKeyNavigation(false);
    listView_->setSelectionMode(QAbstractItemView::SingleSelection);
    listView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    listView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listView_->horizontalHeader()->setStretchLastSection(false);
    listView_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    listView_->horizontalHeader()->setSectionsMovable(false);
    listView_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    listView_->horizontalHeader()->setHighlightSections(false);
    layout->addWidget(countLabel_);
    layout->addWidget(progress_);
    layout->addWidget(listView_, 1);
    QObject::connect(listView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                     [this] { UpdateOpenSoftkey(); });
    QObject::connect(model_, &QAbstractItemModel::modelReset, this,
                     [this] { UpdateOpenSoftkey(); });
}

GamesListDialog::~GamesListDialog() = default;

void GamesListDialog::InitDialog() {
    bar_ = CreateSoftkeyBar(kBarGamesList);
    if (bar_ == nullptr) {
        EndDialog(kIdCancel);
        return;
    }
    setWindowTitle(DisplayTitle());
    SizeColumns();
    EnsureGamesFileExists(gamesPath_);
    games_ = std::make_unique<GamesFile>(gamesPath_);
    if (FillGamesList()) {
        TellUnlistedGames();
    }
}

void GamesListDialog::TellUnlistedGames() {
    // Said once after the start, not at every reload: the games stay in the file and
    // every save keeps their text.
    const std::size_t unlisted = games_->lastScan().unlistedGames;
    if (unlisted == 0) {
        return;
    }
    const QString text =
        unlisted == 1
            ? QStringLiteral("1 game of this file is not listed: its tags are incomplete")
            : QStringLiteral("%1 games of this file are not listed: their tags are incomplete")
                  .arg(unlisted);
    // After the list is on the screen, so that the box stands over it.
    QTimer::singleShot(0, this, [this, text] {
        if (showNotice) {
            showNotice(text);
        } else {
            ShowStartupNotice(text);
        }
    });
}

bool GamesListDialog::FillGamesList() {
    if (games_ == nullptr || progress_->IsWaiting()) {
        return false;
    }
    // Each read gets copies of what it needs and builds its result from nothing; the
    // rows keep showing the previous index until both are done.
    std::unique_ptr<InboxSendersRead> senders = std::move(inboxSendersAhead_);
    if (senders == nullptr && inboxStores) {
        senders = StartInboxSendersRead(inboxStores(), senderCacheFile);
    }
    BackgroundRead<GamesIndex> index(
        [path = games_->path(), read = readIndex](const ReadProgress& progress) {
            return read(path, progress);
        });
    indexRead_ = &index;
    inboxSendersRead_ = senders.get();
    {
        // Reading the index (and the Inbox) is what takes long with a large file.
        WaitCursor wait;
        index.OnFinished([this] { progress_->Wake(); });
        if (senders != nullptr) {
            senders->OnFinished([this] { progress_->Wake(); });
        }
        progress_->WaitUntil(
            [&] { return index.IsFinished() && (senders == nullptr || senders->IsFinished()); },
            [&] {
                return !index.IsFinished() || senders == nullptr
                           ? QStringLiteral("%1 games indexed").arg(index.itemsRead())
                           : QStringLiteral("%1 messages read").arg(senders->itemsRead());
            });
    }
    indexRead_ = nullptr;
    inboxSendersRead_ = nullptr;
    if (hasEnded()) {
        // Quit while reading: what was read is dropped with the list.
        return false;
    }
    // The rows point into the index and the marks into the senders: both change
    // together, with no event in between. The row kept is the one selected now: the
    // user may have moved while the file was read.
    const int selected = SelectedRow();
    const bool loaded = games_->Adopt(index.Take());
    inboxSenders_ = senders != nullptr ? senders->Take() : NewestMessages();
    inboxSendersTime_ = std::time(nullptr);
    model_->Refill(*games_);
    model_->SetAnswersWaiting(&inboxSenders_, inboxSendersTime_, OwnerOrNobody());
    rowCount_ = model_->rowCount();
    if (!loaded) {
        ShowErrorMessage(this, QStringLiteral("Unable to load games file"), DisplayTitle());
        EndDialog(kIdCancel);
        return false;
    }
    SelectRow(selected >= 0 ? selected : 0);
    ShowCount();
    listView_->setFocus();
    LogShownOnce();
    return true;
}

void GamesListDialog::UseInboxSendersRead(std::unique_ptr<InboxSendersRead> read) {
    inboxSendersAhead_ = std::move(read);
}

void GamesListDialog::StopReads() {
    if (indexRead_ != nullptr) {
        indexRead_->Stop();
    }
    if (inboxSendersRead_ != nullptr) {
        inboxSendersRead_->Stop();
    }
}

void GamesListDialog::OpenSelectedGame() {
    const GameListEntry* entry = model_->EntryAt(SelectedRow());
    if (entry == nullptr || !runGameDisplay) {
        return;
    }
    const NewestMessages::Message* waiting =
        AnswerWaiting(*entry, OwnerOrNobody(), inboxSenders_, inboxSendersTime_);
    const std::filesystem::path answerWaiting = waiting != nullptr ? waiting->file : "";
    GameDocument document(games_.get());
    if (LoadGameForUpdate(document, entry->fileOffset, static_cast<std::uint32_t>(rowCount_)) !=
        ReadCode::Ok) {
        return;
    }
    if (!runGameDisplay(this, document, answerWaiting) || !saveGame) {
        return;
    }
    if (!saveGame(document)) {
        ShowErrorMessage(this, QStringLiteral("Unable to save game"), QStringLiteral("Error"));
        return;
    }
    FillGamesList();
}

void GamesListDialog::StartNewGame() {
    if (games_ == nullptr || !runNewGame || !appendNewGame) {
        return;
    }
    std::unique_ptr<GameDocument> document = runNewGame(this, *games_);
    if (document == nullptr || !appendNewGame(document, *games_)) {
        // A game that did not reach the file gets no row: it could not be opened.
        return;
    }
    // The index now owns the new game as its last entry.
    model_->AppendRow(*games_->lastEntry());
    ++rowCount_;
    ShowCount();
    SelectRow(rowCount_ - 1);
    OpenSelectedGame();
}

void GamesListDialog::BringToFront() {
    QWidget* top = QApplication::activeModalWidget();
    if (top == nullptr) {
        top = this;
    }
    top->showNormal();
    top->raise();
    top->activateWindow();
    qCDebug(lcGamesList) << "brought to the front";
}

bool GamesListDialog::HandleCommand(int commandId) {
    if (progress_->IsWaiting()) {
        if (commandId == kIdCancel || commandId == kCmdQuit) {
            StopReads();
            EndDialog(kIdCancel);
        }
        return true;
    }
    switch (commandId) {
        case kIdOk:
        case kCmdOpen:
            OpenSelectedGame();
            return true;
        case kIdCancel:
        case kCmdQuit:
            EndDialog(kIdCancel);
            return true;
        case kCmdNewGame:
            StartNewGame();
            return true;
        case kCmdSettings:
            if (runSettings) {
                runSettings(this);
            }
            return true;
        case kCmdAbout:
            RunAboutBox(this);
            return true;
        default:
            return false;
    }
}

void GamesListDialog::HandleClose() {
    StopReads();
    EndDialog(kIdCancel);
}

void GamesListDialog::InitMenuPopup(int /*menuId*/, QMenu& popup) {
    SoftkeyBar::EnableMenuCommand(popup, kCmdOpen, SelectedRow() >= 0 && !progress_->IsWaiting());
}

int GamesListDialog::SelectedRow() const {
    const QModelIndexList rows = listView_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void GamesListDialog::SelectRow(int row) {
    QItemSelectionModel* selection = listView_->selectionModel();
    const QModelIndex index = model_->index(row, 0);
    if (!index.isValid()) {
        selection->clearSelection();
        return;
    }
    selection->setCurrentIndex(index,
                               QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    listView_->scrollTo(index);
}

void GamesListDialog::resizeEvent(QResizeEvent* event) {
    DialogController::resizeEvent(event);
    SizeColumns();
}

void GamesListDialog::showEvent(QShowEvent* event) {
    DialogController::showEvent(event);
    if (!shownOnce_) {
        shownOnce_ = true;
        QTimer::singleShot(0, this, [this] { LogShownOnce(); });
    }
}

void GamesListDialog::LogShownOnce() {
    // Once the first frame with the rows is drawn: a long read shows the list before.
    if (shownLogged_ || !shownOnce_ || progress_->IsWaiting() || games_ == nullptr) {
        return;
    }
    shownLogged_ = true;
    repaint();
    qCDebug(lcGamesList) << "games list shown," << rowCount_ << "rows";
}

void GamesListDialog::SizeColumns() {
    // Three equal columns that fill the list beside room for its scroll bar.
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, listView_);
    const int width = (listView_->width() - scrollBar) / kColumnCount - kColumnGap;
    for (int column = 0; column < kColumnCount; ++column) {
        listView_->horizontalHeader()->resizeSection(column, std::max(width, 1));
    }
}

void GamesListDialog::ShowCount() {
    countLabel_->setText(QStringLiteral("%1 games").arg(rowCount_));
}

void GamesListDialog::UpdateOpenSoftkey() {
    if (bar_ != nullptr) {
        bar_->SetCommandEnabled(kCmdOpen, SelectedRow() >= 0);
    }
}

std::filesystem::path DefaultGamesFilePath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) {
        folder = QDir::homePath();
    }
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("Korvani.pgn")).toStdString();
}

bool EnsureGamesFileExists(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        return true;
    }
    QFile file(QString::fromStdString(path.string()));
    // NewOnly: never truncate a file that appeared meanwhile.
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
           std::filesystem::exists(path, error);
}

const OwnerIdentity& GamesListDialog::OwnerOrNobody() const {
    return owner != nullptr ? *owner : kNobody;
}
