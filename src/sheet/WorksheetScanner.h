#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/WorksheetReader.h"

namespace vesk::sheet {

/// Thrown where the scanner leaves a part to the general XML parser: markup it does not
/// read itself (comments, processing instructions, CDATA sections, a document type
/// declaration, names beyond ASCII, a very long tag) and whatever is not well-formed. It is
/// no Error: the part is then read again from its start by the general parser, whose
/// reading and messages stand.
struct ScanDeclined {};

/// Reads the XML of a worksheet part in the one shape a worksheet has (elements, attributes,
/// text, the five predefined entities and character references) into a WorksheetReader,
/// checking as it goes everything the general parser checks there: names, quoting, unique
/// attributes, nesting, UTF-8, the characters XML allows. Bytes come in pieces of any size;
/// a token cut at a piece's end waits for the next one. What the reader throws goes through.
class WorksheetScanner {
  public:
    explicit WorksheetScanner(WorksheetReader& reader) : m_reader(reader) {}

    void feed(const char* data, std::size_t size);
    /// The end of the part: throws ScanDeclined unless the document is complete.
    void finish();

    /// Tags (and runs of blanks outside the root element) longer than this are left to the
    /// general parser, which holds the limit on them.
    static constexpr std::size_t kLongestToken = std::size_t(1) << 19;

  private:
    enum class Where { Start, Prolog, Content, Epilog };
    struct PendingAttribute {
        std::string_view name;
        std::string_view value;       // when it needed no decoding
        std::uint32_t decodedAt = 0;  // else where it lies in m_decoded
        std::uint32_t decodedLength = 0;
        bool decoded = false;
    };

    const char* scan(const char* p, const char* end, bool last);
    const char* start(const char* p, const char* end, bool last);
    const char* declaration(const char* p, const char* end, bool last);
    const char* blanks(const char* p, const char* end);
    const char* text(const char* p, const char* end, bool last);
    const char* startTag(const char* p, const char* end);
    const char* endTag(const char* p, const char* end);
    const char* attributeValue(const char* p, const char* end, PendingAttribute& attribute);
    void deliver(const char* from, const char* to);

    WorksheetReader& m_reader;
    Where m_where = Where::Start;
    std::string m_pending;    // the unfinished end of the last piece
    std::size_t m_quiet = 0;  // blanks outside the root element since the last markup
    std::string m_names;      // the open elements' names back to back
    std::vector<std::uint32_t> m_nameStarts;
    std::vector<PendingAttribute> m_pendingAttributes;
    std::vector<XmlAttribute> m_attributes;
    std::string m_decoded;
};

/// Reads a whole worksheet part held in memory through the scanner; throws ScanDeclined or
/// what the reader throws. The entry point for fuzzing the scanner.
void scanWorksheet(std::string_view xml, WorksheetReader& reader);

}  // namespace vesk::sheet
