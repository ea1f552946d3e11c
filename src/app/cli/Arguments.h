#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vesk::cli {

/// A verb's command line as the parser read it (see parseInvocation): the positional
/// arguments in order, the options' values and the flags given.
class Arguments {
  public:
    Arguments() = default;
    Arguments(std::vector<std::string> positional, std::vector<std::pair<std::string, std::string>> options,
              std::vector<std::string> flags)
        : m_positional(std::move(positional)), m_options(std::move(options)), m_flags(std::move(flags)) {}

    const std::vector<std::string>& positional() const { return m_positional; }
    /// The i-th positional argument; the parser has checked their count.
    const std::string& argument(std::size_t i) const { return m_positional.at(i); }
    std::optional<std::string> option(const std::string& name) const;
    bool flag(const std::string& name) const;
    /// The option as a whole number within lo..hi; fallback when it is absent.
    long long integer(const std::string& name, long long fallback, long long lo, long long hi) const;

  private:
    std::vector<std::string> m_positional;
    std::vector<std::pair<std::string, std::string>> m_options;
    std::vector<std::string> m_flags;
};

}  // namespace vesk::cli
