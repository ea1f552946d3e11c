#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "core/Error.h"
#include "core/Secret.h"

namespace vesk::store {

/// What opening a file protected by a passphrase says when none is given.
inline constexpr const char* kProtectedText = "The database is protected by a passphrase.";
/// What it says when the passphrase given does not open it.
inline constexpr const char* kWrongPassphraseText = "The passphrase is wrong.";
/// Their numbers: the engine's "not a database" code would call the file damaged.
inline constexpr long kProtectedError = errc::kDatabaseBase + 1026;
inline constexpr long kWrongPassphraseError = errc::kDatabaseBase + 1027;
/// A re-key the file did not take, in words for a caller to put after the file's name: the
/// engine keeps its own reason to itself.
inline constexpr long kNotRekeyedError = errc::kDatabaseBase + 1028;
inline constexpr const char* kNotRekeyedText = "it is in use by another program, or a page of it cannot be read";
/// The fewest characters a passphrase has.
inline constexpr std::size_t kShortestPassphrase = 8;

/// The program's own key, the same in every copy of the program: what a file without a
/// passphrase of its own is encrypted with.
const Secret& programKey();

/// Where opening a file finds its passphrase when the program's key does not open it: asked
/// with the file's path; nullopt when there is none.
using PassphraseSource = std::function<std::optional<Secret>(const std::string& path)>;
/// The source of every open of this process; returns the one it replaces. None by default:
/// a protected file then fails with kProtectedText.
PassphraseSource setPassphraseSource(PassphraseSource source);

/// Keeps the passphrase that opened the file for the rest of the run, so that a connection
/// opened later (a form's, a second thread's) is not asked again. A new key replaces it; the
/// program's key forgets it.
void rememberPassphrase(const std::string& path, const Secret& key);
/// Forgets every passphrase of the run, and the keys made from them (wiping them).
void forgetPassphrases();

/// True when the file's first pages authenticate with the key: it is encrypted with it. Reads
/// the bytes as they are on disk, without the engine; false for a missing or empty file.
bool keyFits(const std::string& path, const Secret& key);

/// True when the file is encrypted, but not with the program's key: protected by a passphrase
/// (or a file of another program, which no passphrase of ours opens).
bool protectedByPassphrase(const std::string& path);

/// The key that opens the file: the program's, else its passphrase, remembered or asked of the
/// source. Throws Error kProtectedError when there is none, kWrongPassphraseError when it does
/// not fit. A file the program's key does not open either way (plain, empty) gets that key:
/// what reads it then tells what it is.
Secret fileKey(const std::string& path);

/// Whether a re-key from `from` to `to` is in the file, as its bytes show: the engine's re-keying
/// answers success even when it could not lock the file or read a page of it and rolled its
/// work back, leaving the old key.
bool rekeyTook(const std::string& path, const Secret& from, const Secret& to);

/// Re-keys a file that is not open, as Connection::rekey does, without touching its layout: for
/// the copies of a database. False when `from` does not open it (it is left as it is). The
/// file is made readable by its owner alone. Throws Error when the re-keying fails
/// (kNotRekeyedError when the engine gave up without a word); the file then keeps `from`.
bool rekeyFile(const std::string& path, const Secret& from, const Secret& to);

namespace detail {
/// The passphrase remembered for the file, if any.
std::optional<Secret> rememberedPassphrase(const std::string& path);
/// The passphrase remembered for the file, or asked of the source.
std::optional<Secret> passphraseFor(const std::string& path);
}  // namespace detail

}  // namespace vesk::store
