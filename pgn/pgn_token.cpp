#include "pgn/pgn_token.h"

#include <array>
#include <string_view>

namespace {

// The standard's numbers for the classic marks, in the order of the table.
constexpr std::array<std::u16string_view, 6> kGlyphs = {u"!", u"?", u"!!", u"??", u"!?", u"?!"};

}  // namespace

void GlyphToNag(PgnToken& token) {
    for (std::size_t i = 0; i < kGlyphs.size(); ++i) {
        if (token.View() == kGlyphs[i]) {
            token.Clear();
            token.Append(u'$');
            token.Append(static_cast<char16_t>(u'1' + i));
            return;
        }
    }
}
