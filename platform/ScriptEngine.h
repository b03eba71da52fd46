// A JavaScript engine inside the process: one context that evaluates a script once and then
// answers calls of the functions it defines. No browser and no display are involved
// (platform/jsc/ holds the implementation).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace pennoria::platform {

class IScriptEngine {
public:
    using Argument = std::variant<std::string, double>;

    virtual ~IScriptEngine() = default;

    // Calls object.function(arguments...) of the script's global scope and answers its result
    // as text; nothing (and why) when the call throws or the function does not exist. Calls
    // are answered one at a time: a call from another thread waits for the one running.
    virtual std::optional<std::string> Call(const std::string& object, const std::string& function,
                                            const std::vector<Argument>& arguments,
                                            std::string* error = nullptr) = 0;
};

// A context of its own that has evaluated source (named name in messages); nothing (and why)
// when the script does not evaluate.
std::unique_ptr<IScriptEngine> CreateScriptEngine(const std::string& source,
                                                  const std::string& name,
                                                  std::string* error = nullptr);

} // namespace pennoria::platform
