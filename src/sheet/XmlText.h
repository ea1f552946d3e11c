#pragma once

// What the readers of a package's XML parts share: integers as attributes hold them, the
// escapes of cell text, and the most text a cell holds.

#include <string>
#include <string_view>

#include "sheet/Cell.h"

namespace vesk::sheet {

/// A whole integer, blanks and tabs around it allowed; false for anything else.
bool parseInt(std::string_view text, long long& out);

/// The name without its namespace prefix: "x:row" -> "row".
inline std::string_view localName(std::string_view name) {
    const std::size_t colon = name.rfind(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

/// Text longer than a cell can hold; checked while it grows, so a huge one is refused early.
inline bool overCellLimit(std::string_view text) {
    return text.size() > kMaxCellCharacters && characterCount(text) > kMaxCellCharacters;
}

inline const char* overLimitText() { return "more than 32,767 characters, more than a cell can hold"; }

/// "_x000D_" and the like stand for characters XML cannot carry; "_x005F_" escapes an
/// underscore, and a character past U+FFFF comes as two escapes, its surrogates. Decoded in
/// place: the text never grows.
void decodeEscapes(std::string& text);

/// Text of <t> elements, skipping phonetic runs (<rPh>), which are reading aids and not the value.
class StringCollector {
  public:
    void start(std::string_view name) {
        if (name == "rPh")
            ++m_phonetic;
        else if (name == "t" && m_phonetic == 0)
            m_inText = true;
    }
    void end(std::string_view name) {
        if (name == "rPh")
            --m_phonetic;
        else if (name == "t")
            m_inText = false;
    }
    void text(std::string_view s) {
        if (m_inText && !m_tooLong) {
            m_value.append(s);
            m_tooLong = overCellLimit(m_value);
        }
    }
    bool tooLong() const { return m_tooLong; }
    /// The text collected, escapes decoded, and a fresh start; valid until the next take().
    std::string_view take() {
        decodeEscapes(m_value);
        m_value.swap(m_taken);  // both keep their room for the next strings
        m_value.clear();
        m_inText = false;
        m_phonetic = 0;
        m_tooLong = false;
        return m_taken;
    }

  private:
    std::string m_value;
    std::string m_taken;
    bool m_inText = false;
    bool m_tooLong = false;
    int m_phonetic = 0;
};

}  // namespace vesk::sheet
