#include "store/SqlDialect.h"

#include <cctype>
#include <vector>

namespace vesk::store {

namespace {

enum class Kind { Space, Comment, Quoted, Word, Punct };

struct Token {
    Kind kind;
    std::size_t begin;
    std::size_t end;
};

bool isWordStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || (c & 0x80) != 0; }
bool isWordChar(char c) { return isWordStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '$'; }

// Index just past a quoted run starting at i (the quote doubled inside stays in the run).
std::size_t skipQuoted(std::string_view s, std::size_t i, char close) {
    ++i;
    while (i < s.size()) {
        if (s[i] == close) {
            if (close != ']' && i + 1 < s.size() && s[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return s.size();
}

std::vector<Token> tokenize(std::string_view s) {
    std::vector<Token> out;
    std::size_t i = 0;
    while (i < s.size()) {
        const std::size_t start = i;
        const char c = s[i];
        Kind kind = Kind::Punct;
        if (std::isspace(static_cast<unsigned char>(c))) {
            while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
            kind = Kind::Space;
        } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            while (i < s.size() && s[i] != '\n') ++i;
            kind = Kind::Comment;
        } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            std::size_t close = s.find("*/", i + 2);
            i = close == std::string_view::npos ? s.size() : close + 2;
            kind = Kind::Comment;
        } else if (c == '\'' || c == '"' || c == '`' || c == '[') {
            i = skipQuoted(s, i, c == '[' ? ']' : c);
            kind = Kind::Quoted;
        } else if (isWordChar(c)) {  // names, keywords and numbers alike
            while (i < s.size() && (isWordChar(s[i]) || (s[i] == '.' && std::isdigit(static_cast<unsigned char>(c)))))
                ++i;
            kind = Kind::Word;
        } else {
            ++i;
        }
        out.push_back({kind, start, i});
    }
    return out;
}

bool wordIs(std::string_view s, const Token& t, std::string_view word) {
    if (t.kind != Kind::Word || t.end - t.begin != word.size()) return false;
    for (std::size_t k = 0; k < word.size(); ++k)
        if (std::tolower(static_cast<unsigned char>(s[t.begin + k])) != word[k]) return false;
    return true;
}

bool isNumber(std::string_view s, const Token& t) {
    if (t.kind != Kind::Word) return false;
    for (std::size_t k = t.begin; k < t.end; ++k)
        if (!std::isdigit(static_cast<unsigned char>(s[k]))) return false;
    return true;
}

bool significant(const Token& t) { return t.kind != Kind::Space && t.kind != Kind::Comment; }

}  // namespace

std::string translateSql(std::string_view sql) {
    const std::vector<Token> tokens = tokenize(sql);
    std::string out;
    out.reserve(sql.size() + 16);

    std::size_t first = 0;
    while (first < tokens.size()) {
        // One statement: up to and including its ';'.
        std::size_t last = first;
        while (last < tokens.size() && !(tokens[last].kind == Kind::Punct && sql[tokens[last].begin] == ';')) ++last;
        const std::size_t stop = last < tokens.size() ? last + 1 : last;

        std::vector<std::size_t> sig;
        for (std::size_t k = first; k < last; ++k)
            if (significant(tokens[k])) sig.push_back(k);

        // SELECT [DISTINCT|ALL] TOP n
        std::size_t topAt = 0, countAt = 0;
        bool top = false;
        if (!sig.empty() && wordIs(sql, tokens[sig[0]], "select")) {
            std::size_t at = 1;
            if (at < sig.size() && (wordIs(sql, tokens[sig[at]], "distinct") || wordIs(sql, tokens[sig[at]], "all")))
                ++at;
            if (at + 1 < sig.size() && wordIs(sql, tokens[sig[at]], "top") && isNumber(sql, tokens[sig[at + 1]])) {
                top = true;
                topAt = sig[at];
                countAt = sig[at + 1];
            }
        }
        const std::size_t lastSig = sig.empty() ? 0 : sig.back();

        for (std::size_t k = first; k < stop; ++k) {
            const Token& t = tokens[k];
            if (top && k >= topAt && k <= countAt) continue;
            if (top && k == countAt + 1 && t.kind == Kind::Space) continue;
            out.append(sql.substr(t.begin, t.end - t.begin));
            if ((wordIs(sql, t, "left") || wordIs(sql, t, "isnull"))) {
                std::size_t next = k + 1;
                while (next < tokens.size() && !significant(tokens[next])) ++next;
                if (next < tokens.size() && tokens[next].kind == Kind::Punct && sql[tokens[next].begin] == '(')
                    out += '$';
            }
            if (top && k == lastSig) {
                out += " LIMIT ";
                out.append(sql.substr(tokens[countAt].begin, tokens[countAt].end - tokens[countAt].begin));
            }
        }
        first = stop;
    }
    return out;
}

}  // namespace vesk::store
