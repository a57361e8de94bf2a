#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "game/extra_tag.h"
#include "game/game_controller.h"
#include "game/game_list_entry.h"
#include "rules/position.h"

class GameObserver;
class GamesFile;

// One open game: its tags, its move tree (the embedded root owns it), the current
// position, the tags the program does not interpret, its place in the games file and
// the views that follow the current position. Views are not owned.
class GameDocument : public GameListEntry, public GameController {
public:
    static constexpr int kMaxSecondaryViews = 10;

    // A new game with the standard root, belonging to `gamesFile` (not owned; may be
    // null until the game is appended to a file).
    explicit GameDocument(GamesFile* file);
    ~GameDocument() override;

    void GoToStart() override;
    void Reserved() override;
    void GoBack() override;
    void GoForward() override;
    void GoToMainLine() override;
    void SetCurrent(Position* position) override;
    void GoToLastMove() override;
    Position* GetCurrent() override;
    [[nodiscard]] bool AttachView(GameObserver* view, bool primary) override;
    void DetachView(GameObserver* view) override;

    // Tells the primary view, then each secondary view, about the current position.
    void NotifyViews();

    // The position after the last move sent or received, from lastMove and trait;
    // the root when lastMove is 0; null when the main line ends before it.
    [[nodiscard]] Position* FindLastMovePosition();

    // Appends a tag to the end of extraTags. The list remembers its last record, so
    // records are added only here and the list is emptied only by ClearExtraTags.
    void AppendExtraTag(std::u16string name, std::u16string value);

    // Destroys every extra tag.
    void ClearExtraTags();

    GameObserver* primaryView = nullptr;
    std::array<GameObserver*, kMaxSecondaryViews> views{};
    int viewCount = 0;
    Position root;
    Position* current = &root;
    std::unique_ptr<ExtraTag> extraTags;
    std::uint32_t saveMode = 0;
    GamesFile* gamesFile;
    // The bytes of the game's slot (fileOffset to fileEnd) as the games file held them
    // when the game was read or last saved. A save splices the game in only where it
    // finds these bytes again; without them it cannot know the slot is still the game.
    std::string slotText;
    // A fingerprint of the games file's state in which fileOffset is known to start
    // the game (the file indexed when the game was read, or the file a save wrote);
    // 0 when none is.
    std::uint64_t slotFileStamp = 0;

private:
    ExtraTag* lastExtraTag_ = nullptr;
};
