#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "game/game_document.h"
#include "pgn/pgn_writer.h"
#include "pgn/string_sink.h"
#include "platform/error_report.h"
#include "rules/notation.h"

// Plays `moves` (English SAN) from `from` and returns the position reached; null
// when a move is refused, which fails the calling test.
inline Position* PlayLine(Position& from, std::initializer_list<std::u16string_view> moves) {
    Position* at = &from;
    for (const std::u16string_view move : moves) {
        at = ParseSan(*at, move);
        EXPECT_NE(at, nullptr) << "refused move";
        if (at == nullptr) {
            return nullptr;
        }
    }
    return at;
}

// The whole text WritePgnGame produces for `document`.
inline std::string GameText(const GameDocument& document) {
    StringSink sink;
    WritePgnGame(document, sink);
    return sink.text;
}

// The move text of a written game: everything after the blank line that ends the tags.
inline std::string MoveTextOf(const std::string& game) {
    const std::size_t start = game.find("\r\n\r\n");
    return start == std::string::npos ? std::string() : game.substr(start + 4);
}

// The lines of `text`, split at CR LF.
inline std::vector<std::string> LinesOf(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        lines.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 2);
    }
    return lines;
}

inline std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fresh folder for one test, removed with everything in it at the end. Its name is
// unique, so that runs of the same test in other processes never share it.
class ScratchFolder {
public:
    ScratchFolder() {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string pattern =
            (std::filesystem::path(testing::TempDir()) /
             (std::string("korvani_") + info->test_suite_name() + "_" + info->name() + "_XXXXXX"))
                .string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            ADD_FAILURE() << "cannot create " << pattern;
        }
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Records the error boxes shown while it lives.
class ErrorBoxRecorder {
public:
    ErrorBoxRecorder()
        : previous_(SetErrorBoxHandler([this](const ErrorBox& box) { boxes.push_back(box); })) {}
    ~ErrorBoxRecorder() { SetErrorBoxHandler(previous_); }
    ErrorBoxRecorder(const ErrorBoxRecorder&) = delete;
    ErrorBoxRecorder& operator=(const ErrorBoxRecorder&) = delete;

    std::vector<ErrorBox> boxes;

private:
    ErrorBoxHandler previous_;
};
