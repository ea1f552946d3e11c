#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>

struct XML_ParserStruct;

namespace vesk::sheet {

// Receives the events of one document. Names come without their namespace prefix
// ("x:row" arrives as "row"), since writers differ in the prefixes they use.
class XmlHandler {
  public:
    virtual ~XmlHandler() = default;
    virtual void startElement(std::string_view name, const char** attributes) = 0;
    virtual void endElement(std::string_view name) = 0;
    virtual void characters(std::string_view text) = 0;
};

// A streaming parser over expat. What a handler throws stops the parse and is thrown
// again from feed()/finish(); malformed XML throws Error (errc::kWorkbook) naming `what`.
class XmlParser {
  public:
    XmlParser(XmlHandler& handler, std::string what);
    ~XmlParser();
    XmlParser(const XmlParser&) = delete;
    XmlParser& operator=(const XmlParser&) = delete;

    void feed(const char* data, std::size_t size);
    void finish();

    // The value of the attribute with this name (prefix ignored); nullptr when absent.
    static const char* attribute(const char** attributes, std::string_view name);
    static std::string_view localName(const char* name);

  private:
    static void onStart(void* self, const char* name, const char** attributes);
    static void onEnd(void* self, const char* name);
    static void onText(void* self, const char* text, int length);
    static void onDoctype(void* self, const char*, const char*, const char*, int);
    void parse(const char* data, std::size_t size, bool last);
    void fail(std::exception_ptr e);

    XmlHandler& m_handler;
    std::string m_what;
    void noteEvent();

    XML_ParserStruct* m_parser = nullptr;
    std::exception_ptr m_failure;
    long long m_fed = 0;        // bytes handed to the parser
    long long m_lastEvent = 0;  // where the last element or text began
};

}  // namespace vesk::sheet
