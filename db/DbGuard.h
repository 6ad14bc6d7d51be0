#pragma once

#include "Database.h"
#include "core/UserDialogs.h"

#include <optional>
#include <type_traits>

using namespace Qt::Literals::StringLiterals;

// Runs a step against the database: a failed statement ends the step with an "Error" message to
// the agent, and the caller carries on (a window stays usable, a command ends). Returns whether the
// step ran to its end, or for a step that yields a value, that value (nullopt when it failed).
template <typename Step> auto runGuarded(Step &&step, UserDialogs &dialogs = UserDialogs::instance())
{
    using Result = std::invoke_result_t<Step>;
    try {
        if constexpr (std::is_void_v<Result>) {
            step();
            return true;
        } else {
            return std::optional<Result>(step());
        }
    } catch (const DbError &error) {
        dialogs.critical(u"Error"_s, error.message());
        if constexpr (std::is_void_v<Result>)
            return false;
        else
            return std::optional<Result>();
    }
}
