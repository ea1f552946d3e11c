#include "sheet/XmlParser.h"

#include <expat.h>

#include <climits>

#include "core/Error.h"

namespace vesk::sheet {

namespace {

// The parser holds a tag or attribute until its end arrives; text comes in pieces. No
// workbook part has a tag this long, so more bytes without an event mean a hostile file.
constexpr long long kLongestToken = 1 << 20;

}  // namespace

XmlParser::XmlParser(XmlHandler& handler, std::string what) : m_handler(handler), m_what(std::move(what)) {
    m_parser = XML_ParserCreate("UTF-8");
    if (!m_parser) throw Error(errc::kWorkbook, "Out of memory while reading " + m_what);
    XML_SetUserData(m_parser, this);
    XML_SetElementHandler(m_parser, &XmlParser::onStart, &XmlParser::onEnd);
    XML_SetCharacterDataHandler(m_parser, &XmlParser::onText);
    // Workbook parts never declare a DTD; refusing one keeps entity expansion out.
    XML_SetStartDoctypeDeclHandler(m_parser, &XmlParser::onDoctype);
}

XmlParser::~XmlParser() { XML_ParserFree(m_parser); }

// One pass for the prefix and the length: every tag and attribute of a sheet comes here.
std::string_view XmlParser::localName(const char* name) {
    const char* start = name;
    const char* p = name;
    for (; *p; ++p)
        if (*p == ':') start = p + 1;
    return std::string_view(start, std::size_t(p - start));
}

const char* XmlParser::attribute(const char** attributes, std::string_view name) {
    for (const char** a = attributes; *a; a += 2)
        if (localName(a[0]) == name) return a[1];
    return nullptr;
}

void XmlParser::fail(std::exception_ptr e) {
    if (!m_failure) m_failure = std::move(e);
    XML_StopParser(m_parser, XML_FALSE);
}

void XmlParser::noteEvent() { m_lastEvent = XML_GetCurrentByteIndex(m_parser); }

void XmlParser::onStart(void* self, const char* name, const char** attributes) {
    auto* p = static_cast<XmlParser*>(self);
    p->noteEvent();
    try {
        p->m_handler.startElement(localName(name), attributes);
    } catch (...) {
        p->fail(std::current_exception());
    }
}

void XmlParser::onEnd(void* self, const char* name) {
    auto* p = static_cast<XmlParser*>(self);
    p->noteEvent();
    try {
        p->m_handler.endElement(localName(name));
    } catch (...) {
        p->fail(std::current_exception());
    }
}

void XmlParser::onText(void* self, const char* text, int length) {
    auto* p = static_cast<XmlParser*>(self);
    p->noteEvent();
    try {
        p->m_handler.characters(std::string_view(text, std::size_t(length)));
    } catch (...) {
        p->fail(std::current_exception());
    }
}

void XmlParser::onDoctype(void* self, const char*, const char*, const char*, int) {
    auto* p = static_cast<XmlParser*>(self);
    p->fail(std::make_exception_ptr(Error(errc::kWorkbook, p->m_what + " holds a document type declaration")));
}

void XmlParser::parse(const char* data, std::size_t size, bool last) {
    do {
        const int piece = size > std::size_t(INT_MAX) ? INT_MAX : int(size);
        const bool final = last && std::size_t(piece) == size;
        const XML_Status status = XML_Parse(m_parser, data, piece, final ? XML_TRUE : XML_FALSE);
        if (m_failure) std::rethrow_exception(m_failure);
        if (status != XML_STATUS_OK)
            throw Error(errc::kWorkbook, m_what + " is not well-formed XML (" +
                                             XML_ErrorString(XML_GetErrorCode(m_parser)) + " at line " +
                                             std::to_string(XML_GetCurrentLineNumber(m_parser)) + ")");
        m_fed += piece;
        if (m_fed - m_lastEvent > kLongestToken)
            throw Error(errc::kWorkbook, m_what + " holds a tag or attribute longer than " +
                                             std::to_string(kLongestToken >> 20) + " MB");
        data += piece;
        size -= std::size_t(piece);
    } while (size > 0);
}

void XmlParser::feed(const char* data, std::size_t size) {
    if (size > 0) parse(data, size, false);
}

void XmlParser::finish() { parse("", 0, true); }

}  // namespace vesk::sheet
