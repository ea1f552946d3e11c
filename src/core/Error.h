#pragma once

#include <new>
#include <stdexcept>
#include <string>

namespace vesk {

/// Error numbers the program raises itself. Database errors carry
/// kDatabaseBase plus the engine's primary result code.
namespace errc {
inline constexpr long kTypeMismatch = 13;        ///< a value cannot be read as the type asked for
inline constexpr long kInvalidUseOfNull = 3020;  ///< a Null where a value is needed (a date, an amount)
inline constexpr long kFileNotFound = 53;        ///< a file that should exist does not
inline constexpr long kPathAccess = 75;          ///< a file or folder cannot be written
inline constexpr long kWorkbook = 1004;          ///< a workbook cannot be opened, read or written
inline constexpr long kCellError = 1005;         ///< an error cell (#N/A and the like) where a value is needed
inline constexpr long kDatabaseBase = 3000;      ///< plus the engine's result code
inline constexpr long kUsage = 5;                ///< invalid procedure call or argument
inline constexpr long kOutOfMemory = 7;
inline constexpr long kInternal = 51;  ///< a fault of the program or a library it uses
inline constexpr long kDialogCancelled = 32755;
}  // namespace errc

/// The descriptions of the faults known by their number alone, worded as the database's
/// own functions word them, so that a fault reads the same wherever it is found.
inline constexpr const char* kTypeMismatchText = "Type mismatch";
inline constexpr const char* kInvalidUseOfNullText = "Invalid use of Null";

/// The one error type of the core: a number and a description, as a handler shows them.
class Error : public std::runtime_error {
  public:
    Error(long number, const std::string& description) : std::runtime_error(description), m_number(number) {}

    long number() const noexcept { return m_number; }
    std::string description() const { return what(); }

  private:
    long m_number;
};

/// Any exception as the program's error, so that a handler shows every failure alike: the
/// program's own as it is, std::bad_alloc as out of memory, anything else as internal.
inline Error asError(const std::exception& e) {
    if (const auto* own = dynamic_cast<const Error*>(&e)) return *own;
    if (dynamic_cast<const std::bad_alloc*>(&e)) return Error(errc::kOutOfMemory, "Out of memory");
    return Error(errc::kInternal, e.what());
}

}  // namespace vesk
