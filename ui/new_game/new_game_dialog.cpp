#include "ui/new_game/new_game_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

#include "contacts/contact_items.h"
#include "contacts/contacts_database.h"
#include "contacts/extract_email_address.h"
#include "contacts/owner_identity.h"
#include "game/game_document.h"
#include "platform/text_cut.h"
#include "resources/resource_ids.h"
#include "ui/kit/message_boxes.h"
#include "ui/kit/run_dialog.h"
#include "ui/kit/wait_cursor.h"

namespace {

// Longest text kept from an edit field; a tag longer than this would make a tag line
// the games file's reader may not take back.
constexpr int kMaxFieldText = static_cast<int>(kOwnerTextLength);

QLineEdit* AddField(QVBoxLayout& layout, const QString& label, const QString& name) {
    QWidget* form = layout.parentWidget();
    layout.addWidget(new QLabel(label, form));
    auto* edit = new QLineEdit(form);
    edit->setObjectName(name);
    edit->setMaxLength(kMaxFieldText);
    layout.addWidget(edit);
    return edit;
}

std::u16string FieldText(const QLineEdit& edit) {
    return std::u16string(CutText(edit.text().toStdU16String(), kOwnerTextLength));
}

// A tag typed by the user, or "?" for an empty field, the PGN way of saying unknown.
std::u16string TagOrUnknown(const QLineEdit& edit) {
    std::u16string text = FieldText(edit);
    return text.empty() ? std::u16string(u"?") : text;
}

// "Last, First", or the one part a contact has (a card named only by its FN gives just
// that), cut to the longest entry text.
std::u16string EntryText(const Contact& contact) {
    std::u16string text = contact.lastName;
    if (!contact.firstName.empty()) {
        text += text.empty() ? u"" : u", ";
        text += contact.firstName;
    }
    return std::u16string(CutText(text, NewGameDialog::kMaxEntryText));
}

}  // namespace

NewGameDialog::NewGameDialog(QWidget* parent, GamesFile& games, const ContactsDatabase* contacts,
                             OwnerIdentity& owner)
    : DialogController(parent), games_(games), contacts_(contacts), owner_(owner) {
    setWindowTitle(QStringLiteral("New Game"));
    auto* form = new QWidget;
    auto* layout = new QVBoxLayout(form);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(1);
    nameEdit_ = AddField(*layout, QStringLiteral("Your name :"), QStringLiteral("name"));
    emailEdit_ = AddField(*layout, QStringLiteral("Your email :"), QStringLiteral("email"));
    layout->addWidget(new QLabel(QStringLiteral("Opponent :"), form));
    opponentList_ = new QComboBox(form);
    opponentList_->setObjectName(QStringLiteral("opponent"));
    layout->addWidget(opponentList_);
    opponentAddress_ = new QLabel(form);
    opponentAddress_->setObjectName(QStringLiteral("opponentAddress"));
    layout->addWidget(opponentAddress_);
    playBlack_ = new QCheckBox(QStringLiteral("Play Black"), form);
    playBlack_->setObjectName(QStringLiteral("playBlack"));
    layout->addWidget(playBlack_);
    eventEdit_ = AddField(*layout, QStringLiteral("Event :"), QStringLiteral("event"));
    roundEdit_ = AddField(*layout, QStringLiteral("Round :"), QStringLiteral("round"));
    siteEdit_ = AddField(*layout, QStringLiteral("Site :"), QStringLiteral("site"));
    layout->addStretch(1);

    // The form is taller than a phone's screen: it scrolls, and follows the focus.
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("formScroll"));
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setWidget(form);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll_);
}

NewGameDialog::~NewGameDialog() = default;

void NewGameDialog::InitDialog() {
    if (CreateSoftkeyBar(kBarNewGame) == nullptr) {
        EndDialog(kIdCancel);
        return;
    }
    OverrideBackKey();
    storeIdentity_ = owner_.name.empty();
    if (!storeIdentity_) {
        nameEdit_->setText(QString::fromStdU16String(owner_.name));
        emailEdit_->setText(QString::fromStdU16String(owner_.email));
    }
    nameEdit_->setFocus();
    if (!FillOpponents()) {
        EndDialog(kIdCancel);
        return;
    }
    connect(opponentList_, &QComboBox::currentIndexChanged, this,
            [this](int /*index*/) { ShowSelectedAddress(); });
    opponentList_->setCurrentIndex(0);
    ShowSelectedAddress();
}

bool NewGameDialog::FillOpponents() {
    bool readAll = false;
    {
        const WaitCursor wait;
        const std::unique_ptr<ContactItems> items =
            contacts_ != nullptr ? contacts_->GetContacts() : nullptr;
        readAll = items != nullptr;
        for (int index = 1; readAll && index <= items->Count(); ++index) {
            const Contact* contact = items->Item(index);
            if (contact == nullptr) {
                readAll = false;
                break;
            }
            std::optional<std::u16string> address = ExtractEmailAddress(contact->email);
            if (!address.has_value()) {
                continue;
            }
            opponentList_->addItem(QString::fromStdU16String(EntryText(*contact)));
            addresses_.push_back(std::move(*address));
        }
    }
    if (!readAll) {
        ShowErrorMessage(this, QStringLiteral("Unable to access Contacts list"),
                         QStringLiteral("Korvani"));
        return false;
    }
    if (addresses_.empty()) {
        ShowErrorMessage(this, QStringLiteral("No contact found"), QStringLiteral("Korvani"));
        return false;
    }
    return true;
}

void NewGameDialog::ShowSelectedAddress() {
    const int index = opponentList_->currentIndex();
    if (index >= 0 && static_cast<std::size_t>(index) < addresses_.size()) {
        opponentAddress_->setText(
            QString::fromStdU16String(addresses_[static_cast<std::size_t>(index)]));
    }
}

bool NewGameDialog::HandleCommand(int commandId) {
    switch (commandId) {
        case kIdOk:
            if (Done()) {
                EndDialog(kIdOk);
            }
            return true;
        case kIdCancel:
            EndDialog(kIdCancel);
            return true;
        default:
            return false;
    }
}

bool NewGameDialog::Done() {
    if (opponentList_->currentIndex() < 0) {
        return false;
    }
    const std::u16string name = FieldText(*nameEdit_);
    if (name.empty()) {
        ShowErrorMessage(this, QStringLiteral("Your name is mandatory"), QStringLiteral("Error"));
        return false;
    }
    const std::u16string email = FieldText(*emailEdit_);
    if (email.empty()) {
        ShowErrorMessage(this, QStringLiteral("Your email is mandatory"), QStringLiteral("Error"));
        return false;
    }
    if (storeIdentity_) {
        owner_.Set(name, email);
    }
    result_ = BuildGame(name, email);
    return true;
}

std::unique_ptr<GameDocument> NewGameDialog::BuildGame(const std::u16string& name,
                                                       const std::u16string& email) const {
    const auto index = static_cast<std::size_t>(opponentList_->currentIndex());
    const std::u16string opponent = opponentList_->currentText().toStdU16String();
    const std::u16string& opponentEmail = addresses_[index];
    const bool userIsBlack = playBlack_->isChecked();

    auto game = std::make_unique<GameDocument>(&games_);
    game->SetWhite(userIsBlack ? opponent : name);
    game->SetBlack(userIsBlack ? name : opponent);
    game->SetWhiteEmail(userIsBlack ? opponentEmail : email);
    game->SetBlackEmail(userIsBlack ? email : opponentEmail);
    game->SetEvent(TagOrUnknown(*eventEdit_));
    game->SetSite(TagOrUnknown(*siteEdit_));
    game->SetRound(TagOrUnknown(*roundEdit_));
    game->ParseResult(u"*");
    return game;
}

std::unique_ptr<GameDocument> NewGameDialog::TakeResult() {
    return std::move(result_);
}

std::unique_ptr<GameDocument> RunNewGameDialog(QWidget* parent, GamesFile& games,
                                               const ContactsDatabase* contacts,
                                               OwnerIdentity& owner) {
    NewGameDialog dialog(parent, games, contacts, owner);
    if (RunDialog(dialog, parent) != kIdOk) {
        return nullptr;
    }
    return dialog.TakeResult();
}
