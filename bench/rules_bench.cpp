// Measures the chess core on the positions of real games: every main-line position of
// the master games in the shared PGN folder is played through ParseSan once, then
// IsLegal, AddMove, ParseSan and FormatSan are timed on those positions and moves.
// "per_call" is the time of one call.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rules/move_node.h"
#include "rules/notation.h"
#include "rules/position.h"

namespace {

constexpr std::size_t kBatch = 1000;  // calls per timed round

// One main-line move of a real game and the position it leaves.
struct Sample {
    Position* before;
    MoveNode* move;
    std::u16string san;
};

struct Corpus {
    std::vector<std::unique_ptr<Position>> roots;
    std::vector<Sample> samples;
    int gamesGivenUp = 0;
};

bool IsResult(std::string_view token) {
    return token == "1-0" || token == "0-1" || token == "1/2-1/2" || token == "*";
}

// The SAN of a movetext token: without its move number and its annotation marks;
// empty for anything that is not a move.
std::string_view SanOf(std::string_view token) {
    if (IsResult(token) || token.empty() || token[0] == '$') {
        return {};
    }
    while (!token.empty() && ((token[0] >= '0' && token[0] <= '9') || token[0] == '.')) {
        token.remove_prefix(1);
    }
    while (!token.empty() && std::string_view("!?+#").find(token.back()) != std::string::npos) {
        token.remove_suffix(1);
    }
    return token;
}

// Reads the main lines of the games of a PGN text (variations and comments are
// skipped). A game is given up at its first move that ParseSan refuses.
class MainLineReader {
public:
    explicit MainLineReader(Corpus& corpus) : corpus_(corpus) {}

    void Read(std::string_view text) {
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string_view::npos) {
                end = text.size();
            }
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
            }
            ReadLine(line);
            start = end + 1;
        }
    }

private:
    void ReadLine(std::string_view line) {
        if (braceComment_ == false && !line.empty() && line[0] == '[') {
            if (inMovetext_ || !tip_) {
                StartGame();
            }
            // Set-up positions are left out: only games from the initial position.
            if (line.starts_with("[FEN ") && !failed_) {
                failed_ = true;
                ++corpus_.gamesGivenUp;
            }
            return;
        }
        inMovetext_ = true;
        std::string token;
        for (char c : line) {
            if (braceComment_) {
                braceComment_ = c != '}';
                continue;
            }
            if (c == '{' || c == ';' || c == '(' || c == ')' || c == ' ' || c == '\t') {
                Token(token);
                token.clear();
                if (c == '{') {
                    braceComment_ = true;
                } else if (c == ';') {
                    return;
                } else if (c == '(') {
                    ++variationDepth_;
                } else if (c == ')' && variationDepth_ > 0) {
                    --variationDepth_;
                }
                continue;
            }
            token += c;
        }
        Token(token);
    }

    void StartGame() {
        corpus_.roots.push_back(std::make_unique<Position>());
        tip_ = corpus_.roots.back().get();
        inMovetext_ = false;
        failed_ = false;
        variationDepth_ = 0;
    }

    void Token(std::string_view token) {
        const std::string_view san = SanOf(token);
        if (san.empty() || variationDepth_ > 0 || failed_ || tip_ == nullptr) {
            return;
        }
        std::u16string text(san.begin(), san.end());
        Position* next = ParseSan(*tip_, text);
        if (next == nullptr) {
            failed_ = true;
            ++corpus_.gamesGivenUp;
            return;
        }
        corpus_.samples.push_back({tip_, next->incomingMove, std::move(text)});
        tip_ = next;
    }

    Corpus& corpus_;
    Position* tip_ = nullptr;
    bool inMovetext_ = false;
    bool braceComment_ = false;
    bool failed_ = false;
    int variationDepth_ = 0;
};

const Corpus& LoadCorpus() {
    static Corpus corpus = [] {
        Corpus loaded;
        const std::string path = KORVANI_SHARED_PGN_DIR "/master-kasparov.pgn";
        std::ifstream file(path, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(file),
                               std::istreambuf_iterator<char>()};
        MainLineReader(loaded).Read(text);
        std::fprintf(stderr, "%s: %zu games (%d given up), %zu positions\n", path.c_str(),
                     loaded.roots.size(), loaded.gamesGivenUp, loaded.samples.size());
        return loaded;
    }();
    return corpus;
}

// Runs `call` on kBatch consecutive samples per round, cycling through the corpus.
template <typename Call>
void RunBatches(benchmark::State& state, Call call) {
    const std::vector<Sample>& samples = LoadCorpus().samples;
    if (samples.size() < kBatch) {
        state.SkipWithError("no games read");
        return;
    }
    std::size_t next = 0;
    for (auto _ : state) {
        for (std::size_t i = 0; i < kBatch; ++i) {
            call(samples[next]);
            if (++next == samples.size()) {
                next = 0;
            }
        }
    }
    state.counters["per_call"] = benchmark::Counter(
        static_cast<double>(kBatch),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Runs `call` on positions whose move list is emptied (and whose remembered legality
// test is forgotten) for the timed part, so that each call adds a first move as a game
// reader does; the added moves are destroyed and the real ones put back outside the
// timed part.
template <typename Call>
void RunAddingBatches(benchmark::State& state, Call call) {
    const std::vector<Sample>& samples = LoadCorpus().samples;
    if (samples.size() < kBatch) {
        state.SkipWithError("no games read");
        return;
    }
    std::vector<MoveNodePtr> kept(kBatch);
    std::size_t start = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (start + kBatch > samples.size()) {
            start = 0;
        }
        for (std::size_t i = 0; i < kBatch; ++i) {
            Position& before = *samples[start + i].before;
            kept[i] = std::move(before.firstMove);
            // A reader meets each position once: no legality test is remembered yet.
            before.ForgetTests();
        }
        state.ResumeTiming();
        for (std::size_t i = 0; i < kBatch; ++i) {
            call(samples[start + i]);
        }
        state.PauseTiming();
        for (std::size_t i = 0; i < kBatch; ++i) {
            Position& before = *samples[start + i].before;
            before.firstMove = std::move(kept[i]);
        }
        start += kBatch;
        state.ResumeTiming();
    }
    state.counters["per_call"] = benchmark::Counter(
        static_cast<double>(kBatch),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The move that was played: always legal.
void BM_IsLegal_PlayedMove(benchmark::State& state) {
    RunBatches(state, [](const Sample& s) {
        benchmark::DoNotOptimize(s.before->IsLegal(s.move->from, s.move->to));
    });
}
BENCHMARK(BM_IsLegal_PlayedMove);

// The moved piece to a square chosen by the sample's place in the game: mostly
// illegal, as when the board tries a to-square under the cursor.
void BM_IsLegal_AnyTarget(benchmark::State& state) {
    RunBatches(state, [](const Sample& s) {
        const int target = (s.move->to + 7 * s.before->moveNumber + s.san.size()) % 64;
        benchmark::DoNotOptimize(s.before->IsLegal(s.move->from, target));
    });
}
BENCHMARK(BM_IsLegal_AnyTarget);

// AddMove with its legality test.
void BM_AddMove(benchmark::State& state) {
    RunAddingBatches(state, [](const Sample& s) {
        benchmark::DoNotOptimize(
            s.before->AddMove(s.move->from, s.move->to, nullptr, s.move->promotion));
    });
}
BENCHMARK(BM_AddMove);

// ParseSan of a move that is not in the tree yet: reading, legality, AddMove.
void BM_ParseSan_NewMove(benchmark::State& state) {
    RunAddingBatches(state,
                     [](const Sample& s) { benchmark::DoNotOptimize(ParseSan(*s.before, s.san)); });
}
BENCHMARK(BM_ParseSan_NewMove);

// ParseSan of a move that is already there: reading and legality, no allocation.
void BM_ParseSan_ExistingMove(benchmark::State& state) {
    RunBatches(state,
               [](const Sample& s) { benchmark::DoNotOptimize(ParseSan(*s.before, s.san)); });
}
BENCHMARK(BM_ParseSan_ExistingMove);

void BM_FormatSan(benchmark::State& state) {
    SanBuffer buffer;
    RunBatches(state, [&buffer](const Sample& s) {
        benchmark::DoNotOptimize(
            FormatSan(*s.move, buffer, true, false, NotationLanguage::English));
        benchmark::ClobberMemory();
    });
}
BENCHMARK(BM_FormatSan);

}  // namespace

BENCHMARK_MAIN();
