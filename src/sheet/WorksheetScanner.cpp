#include "sheet/WorksheetScanner.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/Text.h"

namespace vesk::sheet {

namespace {

// What a byte of text or of an attribute value asks of the scanner.
enum Class : std::uint8_t {
    kPlain,
    kLess,       // '<'
    kAmpersand,  // a reference
    kReturn,     // a line end to normalise
    kBracket,    // ']', which may begin "]]>"
    kBlank,      // tab or line feed: plain in text, a space in an attribute value
    kQuote,      // '"' or '\'': the end of an attribute value in the same quote
    kControl,    // a character XML does not allow
    kHigh,       // the lead of a multi-byte character
};

constexpr std::array<std::uint8_t, 256> classes() {
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 0x20; ++c) t[c] = kControl;
    t['\t'] = kBlank;
    t['\n'] = kBlank;
    t['\r'] = kReturn;
    t['<'] = kLess;
    t['&'] = kAmpersand;
    t[']'] = kBracket;
    t['"'] = kQuote;
    t['\''] = kQuote;
    for (int c = 0x80; c < 0x100; ++c) t[c] = kHigh;
    return t;
}
constexpr std::array<std::uint8_t, 256> kClass = classes();

// Bytes that end a run of plain text: markup, references, line ends, "]]>", and anything to check.
constexpr std::array<bool, 256> textStops() {
    std::array<bool, 256> t{};
    for (int c = 0; c < 256; ++c) t[c] = kClass[c] != kPlain && kClass[c] != kBlank && kClass[c] != kQuote;
    return t;
}
constexpr std::array<bool, 256> kTextStop = textStops();

constexpr bool isNameStart(unsigned char c) {
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z' ? true : c == '_' || c == ':';
}
constexpr bool isNameChar(unsigned char c) { return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }
constexpr bool isBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The length of the UTF-8 character at p (2 to 4), 0 when it is none XML allows, -1 when
// its end lies beyond the bytes at hand.
int characterLength(const char* at, const char* end) {
    const auto* p = reinterpret_cast<const unsigned char*>(at);
    const std::ptrdiff_t have = end - at;
    const unsigned c = p[0];
    int length;
    unsigned low = 0x80, high = 0xBF;  // the second byte's range
    if (c < 0xC2) {
        return 0;  // a continuation byte, or an overlong form
    } else if (c < 0xE0) {
        length = 2;
    } else if (c < 0xF0) {
        length = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;  // no surrogates
    } else if (c < 0xF5) {
        length = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;  // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (have >= 2 && (p[1] < low || p[1] > high)) return 0;
    for (int i = 2; i < length && i < have; ++i)
        if (p[i] < 0x80 || p[i] > 0xBF) return 0;
    if (have < length) return -1;
    if (c == 0xEF && p[1] == 0xBF && p[2] >= 0xBE) return 0;  // U+FFFE and U+FFFF are no characters
    return length;
}

// Appends the UTF-8 form of a character XML allows; false for any other number.
bool appendCharacter(std::string& out, unsigned long code) {
    const bool allowed = code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
                         (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
    if (allowed) appendUtf8(out, char32_t(code));
    return allowed;
}

// The longest reference read here: "&#x10FFFF;" with a few leading zeros.
constexpr std::ptrdiff_t kLongestReference = 12;

// Reads the reference at p ('&') and appends what it stands for. Returns the byte after
// it; nullptr when its end lies beyond the bytes at hand. Declines what XML does not allow.
const char* reference(const char* p, const char* end, bool last, std::string& out) {
    const char* limit = end - p > kLongestReference ? p + kLongestReference : end;
    const char* semicolon = static_cast<const char*>(std::memchr(p + 1, ';', std::size_t(limit - (p + 1))));
    if (!semicolon) {
        if (limit == end && !last) return nullptr;
        throw ScanDeclined{};
    }
    const std::string_view name(p + 1, std::size_t(semicolon - (p + 1)));
    if (name == "lt")
        out += '<';
    else if (name == "gt")
        out += '>';
    else if (name == "amp")
        out += '&';
    else if (name == "apos")
        out += '\'';
    else if (name == "quot")
        out += '"';
    else if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty()) throw ScanDeclined{};
        unsigned long code = 0;
        for (const char d : digits) {
            unsigned v;
            if (d >= '0' && d <= '9')
                v = unsigned(d - '0');
            else if (hex && (d | 0x20) >= 'a' && (d | 0x20) <= 'f')
                v = unsigned((d | 0x20) - 'a' + 10);
            else
                throw ScanDeclined{};
            code = code * (hex ? 16 : 10) + v;
            if (code > 0x10FFFF) throw ScanDeclined{};
        }
        if (!appendCharacter(out, code)) throw ScanDeclined{};
    } else {
        throw ScanDeclined{};  // an entity no document type declares
    }
    return semicolon + 1;
}

// Reads a name at p: the byte after it, nullptr when it reaches the end of the bytes.
const char* name(const char* p, const char* end) {
    if (p == end) return nullptr;
    if (!isNameStart(static_cast<unsigned char>(*p))) throw ScanDeclined{};
    for (++p; p < end; ++p)
        if (!isNameChar(static_cast<unsigned char>(*p))) {
            if (static_cast<unsigned char>(*p) >= 0x80) throw ScanDeclined{};  // names beyond ASCII
            return p;
        }
    return nullptr;
}

const char* skipBlanks(const char* p, const char* end) {
    while (p < end && isBlank(static_cast<unsigned char>(*p))) ++p;
    return p;
}

}  // namespace

void WorksheetScanner::deliver(const char* from, const char* to) {
    if (to > from) m_reader.characters(std::string_view(from, std::size_t(to - from)));
}

void WorksheetScanner::feed(const char* data, std::size_t size) {
    const char* p = data;
    const char* const end = data + size;
    // An unfinished token from the last piece is completed from this one, a little at a time,
    // so the piece itself is read where it lies.
    while (!m_pending.empty() && p < end) {
        const std::size_t held = m_pending.size();
        const std::size_t take = std::min<std::size_t>(std::size_t(end - p), std::max<std::size_t>(held, 256));
        m_pending.append(p, take);
        const char* stop = scan(m_pending.data(), m_pending.data() + m_pending.size(), false);
        const std::size_t used = std::size_t(stop - m_pending.data());
        if (used >= held) {
            p += used - held;
            m_pending.clear();
            break;
        }
        p += take;
        m_pending.erase(0, used);
        if (m_pending.size() > kLongestToken) throw ScanDeclined{};
    }
    if (m_pending.empty() && p < end) {
        const char* stop = scan(p, end, false);
        m_pending.assign(stop, end);
        if (m_pending.size() > kLongestToken) throw ScanDeclined{};
    }
}

void WorksheetScanner::finish() {
    const char* stop = scan(m_pending.data(), m_pending.data() + m_pending.size(), true);
    if (stop != m_pending.data() + m_pending.size() || m_where != Where::Epilog) throw ScanDeclined{};
    m_pending.clear();
}

const char* WorksheetScanner::scan(const char* p, const char* end, bool last) {
    while (p < end) {
        const char* next = nullptr;
        if (m_where == Where::Start) {
            next = start(p, end, last);  // may move on without reading a byte
        } else if (m_where != Where::Content) {
            next = blanks(p, end);
            if (next == p) {
                // Outside the root element only the root's own start tag may follow.
                if (m_where == Where::Epilog || *p != '<') throw ScanDeclined{};
                if (p + 1 < end && !isNameStart(static_cast<unsigned char>(p[1]))) throw ScanDeclined{};
                next = p + 1 < end ? startTag(p, end) : nullptr;
            }
        } else if (*p != '<') {
            next = text(p, end, last);
            if (next == p) next = nullptr;
        } else if (p + 1 == end) {
            next = nullptr;
        } else if (p[1] == '/') {
            next = endTag(p, end);
        } else if (isNameStart(static_cast<unsigned char>(p[1]))) {
            next = startTag(p, end);
        } else {
            throw ScanDeclined{};  // comments, CDATA, processing instructions, or no markup at all
        }
        if (!next) {
            if (last) throw ScanDeclined{};
            return p;
        }
        p = next;
    }
    return p;
}

// The very start: a byte order mark, then the XML declaration if there is one.
const char* WorksheetScanner::start(const char* p, const char* end, bool last) {
    static constexpr std::string_view kBom = "\xEF\xBB\xBF";
    static constexpr std::string_view kDeclaration = "<?xml";
    const std::string_view have(p, std::size_t(end - p));
    if (have.size() < kBom.size() + kDeclaration.size() + 1 && !last) return nullptr;
    if (have.substr(0, kBom.size()) == kBom) p += kBom.size();
    const std::string_view rest(p, std::size_t(end - p));
    m_where = Where::Prolog;
    if (rest.substr(0, kDeclaration.size()) != kDeclaration) return p;
    if (rest.size() == kDeclaration.size() || !isBlank(static_cast<unsigned char>(rest[kDeclaration.size()])))
        throw ScanDeclined{};  // a processing instruction whose name begins "xml"
    const char* next = declaration(p + kDeclaration.size(), end, last);
    if (!next) {
        m_where = Where::Start;  // read again whole once the rest is here
        return nullptr;
    }
    return next;
}

// version="1.0" [encoding="UTF-8"] [standalone="yes"|"no"] ?>: anything else is left to
// the general parser.
const char* WorksheetScanner::declaration(const char* p, const char* end, bool last) {
    const char* close = nullptr;
    for (const char* q = p; q + 1 < end; ++q)
        if (q[0] == '?' && q[1] == '>') {
            close = q;
            break;
        }
    if (!close) {
        if (last || end - p > 512) throw ScanDeclined{};
        return nullptr;
    }
    static constexpr std::string_view kNames[] = {"version", "encoding", "standalone"};
    std::size_t next = 0;  // pseudo-attributes come in this order, version first
    const char* q = p;
    while (true) {
        const char* after = skipBlanks(q, close);
        if (after == close) break;
        if (after == q) throw ScanDeclined{};
        q = after;
        std::size_t which = next;
        while (which < 3 &&
               std::string_view(q, std::size_t(close - q)).substr(0, kNames[which].size()) != kNames[which])
            ++which;
        if (which == 3 || (next == 0 && which != 0)) throw ScanDeclined{};
        q = skipBlanks(q + kNames[which].size(), close);
        if (q == close || *q != '=') throw ScanDeclined{};
        q = skipBlanks(q + 1, close);
        if (q == close || (*q != '"' && *q != '\'')) throw ScanDeclined{};
        const char* valueEnd = static_cast<const char*>(std::memchr(q + 1, *q, std::size_t(close - (q + 1))));
        if (!valueEnd) throw ScanDeclined{};
        const std::string_view value(q + 1, std::size_t(valueEnd - (q + 1)));
        const bool known = which == 0   ? value == "1.0"
                           : which == 1 ? value.size() == 5 && (value[0] | 0x20) == 'u' && (value[1] | 0x20) == 't' &&
                                              (value[2] | 0x20) == 'f' && value.substr(3) == "-8"
                                        : value == "yes" || value == "no";
        if (!known) throw ScanDeclined{};
        q = valueEnd + 1;
        next = which + 1;
    }
    if (next == 0) throw ScanDeclined{};
    return close + 2;
}

// Blanks outside the root element; the general parser reports no event for them, so a long
// run of them is left to it.
const char* WorksheetScanner::blanks(const char* p, const char* end) {
    const char* q = skipBlanks(p, end);
    m_quiet += std::size_t(q - p);
    if (m_quiet > kLongestToken) throw ScanDeclined{};
    return q;
}

const char* WorksheetScanner::text(const char* p, const char* end, bool last) {
    const char* run = p;
    while (p < end) {
        const auto c = static_cast<unsigned char>(*p);
        if (!kTextStop[c]) {
            ++p;
            continue;
        }
        switch (kClass[c]) {
            case kLess:
                deliver(run, p);
                return p;
            case kAmpersand: {
                deliver(run, p);
                m_decoded.clear();
                const char* next = reference(p, end, last, m_decoded);
                if (!next) return p;
                deliver(m_decoded.data(), m_decoded.data() + m_decoded.size());
                run = p = next;
                break;
            }
            case kReturn:
                // A line end is a line feed, however the file wrote it.
                deliver(run, p);
                if (p + 1 == end && !last) return p;
                m_reader.characters("\n");
                p += p + 1 < end && p[1] == '\n' ? 2 : 1;
                run = p;
                break;
            case kBracket:
                if (end - p < 3) {
                    if (!last) {
                        deliver(run, p);
                        return p;
                    }
                } else if (p[1] == ']' && p[2] == '>') {
                    throw ScanDeclined{};
                }
                ++p;
                break;
            case kHigh: {
                const int length = characterLength(p, end);
                if (length == 0 || (length < 0 && last)) throw ScanDeclined{};
                if (length < 0) {
                    deliver(run, p);
                    return p;
                }
                p += length;
                break;
            }
            default:
                throw ScanDeclined{};  // a control character
        }
    }
    deliver(run, p);
    return p;
}

// An attribute value from its opening quote at p: the byte after the closing quote, nullptr
// when it is not all here. Line ends and tabs become spaces and references are replaced,
// as XML reads attribute values.
const char* WorksheetScanner::attributeValue(const char* p, const char* end, PendingAttribute& attribute) {
    const char quote = *p;
    const char* const from = ++p;
    bool plain = true;
    while (true) {
        if (p == end) return nullptr;
        const auto c = static_cast<unsigned char>(*p);
        const std::uint8_t kind = kClass[c];
        if (kind == kPlain || kind == kBracket || (kind == kQuote && c != static_cast<unsigned char>(quote))) {
            ++p;
        } else if (kind == kQuote) {
            break;
        } else if (kind == kHigh) {
            const int length = characterLength(p, end);
            if (length == 0) throw ScanDeclined{};
            if (length < 0) return nullptr;
            p += length;
        } else if (kind == kAmpersand || kind == kBlank || kind == kReturn) {
            plain = false;
            ++p;
            if (kind == kAmpersand) {
                const char* limit = end - p > kLongestReference ? p + kLongestReference : end;
                const char* semicolon = static_cast<const char*>(std::memchr(p, ';', std::size_t(limit - p)));
                if (!semicolon) {
                    if (limit == end) return nullptr;
                    throw ScanDeclined{};
                }
                p = semicolon + 1;  // checked when decoded
            }
        } else {
            throw ScanDeclined{};  // '<' or a control character
        }
    }
    if (plain) {
        attribute.value = std::string_view(from, std::size_t(p - from));
        attribute.decoded = false;
        return p + 1;
    }
    attribute.decoded = true;
    attribute.decodedAt = std::uint32_t(m_decoded.size());
    for (const char* q = from; q < p;) {
        const auto kind = kClass[static_cast<unsigned char>(*q)];
        if (kind == kAmpersand) {
            q = reference(q, p, true, m_decoded);
        } else if (kind == kReturn) {
            m_decoded += ' ';
            q += q + 1 < p && q[1] == '\n' ? 2 : 1;
        } else if (kind == kBlank) {
            m_decoded += ' ';
            ++q;
        } else {
            m_decoded += *q++;
        }
    }
    attribute.decodedLength = std::uint32_t(m_decoded.size() - attribute.decodedAt);
    return p + 1;
}

// A start tag at p ('<' and a name's first byte): the byte after it, nullptr when it is not
// all here. The reader hears of it once it is whole and well-formed.
const char* WorksheetScanner::startTag(const char* p, const char* end) {
    const char* q = name(p + 1, end);
    if (!q) return nullptr;
    const std::string_view element(p + 1, std::size_t(q - (p + 1)));
    m_pendingAttributes.clear();
    m_decoded.clear();
    bool empty = false;
    while (true) {
        const char* after = skipBlanks(q, end);
        if (after == end) return nullptr;
        if (*after == '>') {
            q = after + 1;
            break;
        }
        if (*after == '/') {
            if (after + 1 == end) return nullptr;
            if (after[1] != '>') throw ScanDeclined{};
            q = after + 2;
            empty = true;
            break;
        }
        if (after == q) throw ScanDeclined{};  // attributes stand apart
        PendingAttribute attribute;
        const char* nameEnd = name(after, end);
        if (!nameEnd) return nullptr;
        attribute.name = std::string_view(after, std::size_t(nameEnd - after));
        q = skipBlanks(nameEnd, end);
        if (q == end) return nullptr;
        if (*q != '=') throw ScanDeclined{};
        q = skipBlanks(q + 1, end);
        if (q == end) return nullptr;
        if (*q != '"' && *q != '\'') throw ScanDeclined{};
        q = attributeValue(q, end, attribute);
        if (!q) return nullptr;
        for (const PendingAttribute& other : m_pendingAttributes)
            if (other.name == attribute.name) throw ScanDeclined{};
        m_pendingAttributes.push_back(attribute);
    }
    if (std::size_t(q - p) > kLongestToken) throw ScanDeclined{};
    m_attributes.clear();
    for (const PendingAttribute& a : m_pendingAttributes)
        m_attributes.push_back(
            {a.name, a.decoded ? std::string_view(m_decoded).substr(a.decodedAt, a.decodedLength) : a.value});
    m_nameStarts.push_back(std::uint32_t(m_names.size()));
    m_names.append(element);
    m_where = Where::Content;
    m_quiet = 0;
    const std::string_view local = localName(element);
    m_reader.startElement(local, m_attributes);
    if (empty) {
        m_names.resize(m_nameStarts.back());
        m_nameStarts.pop_back();
        if (m_nameStarts.empty()) m_where = Where::Epilog;
        m_reader.endElement(local);
    }
    return q;
}

// An end tag at p ("</"): it must close the element open last.
const char* WorksheetScanner::endTag(const char* p, const char* end) {
    const char* q = name(p + 2, end);
    if (!q) return nullptr;
    const std::string_view element(p + 2, std::size_t(q - (p + 2)));
    q = skipBlanks(q, end);
    if (q == end) return nullptr;
    if (*q != '>' || std::size_t(q - p) > kLongestToken) throw ScanDeclined{};
    if (std::string_view(m_names).substr(m_nameStarts.back()) != element) throw ScanDeclined{};
    m_names.resize(m_nameStarts.back());
    m_nameStarts.pop_back();
    if (m_nameStarts.empty()) {
        m_where = Where::Epilog;
        m_quiet = 0;
    }
    m_reader.endElement(localName(element));
    return q + 1;
}

void scanWorksheet(std::string_view xml, WorksheetReader& reader) {
    WorksheetScanner scanner(reader);
    scanner.feed(xml.data(), xml.size());
    scanner.finish();
}

}  // namespace vesk::sheet
