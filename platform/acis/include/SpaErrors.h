// Modeler errors: outcomes, error info, the modeler's exception, error blocks, message modules,
// interrupts, logging and the bulletin board.
//
// Every api_* function answers an `outcome` and never throws: errors inside it are caught into the
// outcome (see API_FUNCTION_BEGIN). Callers that want an exception instead use check_outcome().
#pragma once

#include "VyrAcisApi.h"

#include <cstddef>
#include <exception>
#include <memory>
#include <string>

class ENTITY;

// An error number: 0 is "no error"; other values are message codes of a message module.
typedef int err_mess_type;

// ---------------------------------------------------------------------------------------------
// Message modules

// A numbered group of error messages: entry i has the code base() + i.
class VYR_ACIS_API message_module {
public:
    // A module called `name` whose `count` entries start at code `base`; `texts` holds `count`
    // message texts (static storage, not copied).
    constexpr message_module(const char* name, int base, int count, const char* const* texts)
        : m_name(name), m_base(base), m_count(count), m_texts(texts) {}

    // The module's name.
    const char* name() const { return m_name; }
    // The code of entry 0.
    int base() const { return m_base; }
    // Number of entries.
    int count() const { return m_count; }
    // True when `code` is one of this module's codes.
    bool contains(int code) const { return code >= m_base && code < m_base + m_count; }
    // The message text of entry `index`, or null outside the module.
    const char* text(int index) const;

private:
    const char* m_name;
    int m_base;
    int m_count;
    const char* const* m_texts;
};

// The code of entry `index` of `module`. An index outside the module answers entry 0's code, so a
// wrong index still gives a non-zero error number rather than "no error".
VYR_ACIS_API err_mess_type message_code(const message_module& module, int index);

// Code of entry 0 of the API error module (the module's base).
constexpr err_mess_type SPAACIS_API_ERRMOD_BASE = 20000;

// The API error module: the errors the modeler's own functions raise.
extern VYR_ACIS_API const message_module spaacis_api_errmod;

// Error numbers of the API error module (entry index = code - SPAACIS_API_ERRMOD_BASE).
// A modeler call failed (the generic failure).
constexpr err_mess_type API_FAILED = SPAACIS_API_ERRMOD_BASE + 0;
// A null entity was passed where an entity is needed.
constexpr err_mess_type NULL_ENTITY = SPAACIS_API_ERRMOD_BASE + 1;
// An entity of the wrong type was passed.
constexpr err_mess_type WRONG_TYPE = SPAACIS_API_ERRMOD_BASE + 2;
// A tolerance is zero, negative or not a number.
constexpr err_mess_type BAD_TOLERANCE = SPAACIS_API_ERRMOD_BASE + 3;
// Faceting was asked for with no mesh manager set.
constexpr err_mess_type NO_MESH_MANAGER = SPAACIS_API_ERRMOD_BASE + 4;
// A ray has a zero or not-a-number direction or root.
constexpr err_mess_type DEGENERATE_RAY = SPAACIS_API_ERRMOD_BASE + 5;
// The geometry kernel failed on the entity.
constexpr err_mess_type OCCT_FAILURE = SPAACIS_API_ERRMOD_BASE + 6;
// The operation was interrupted.
constexpr err_mess_type INTERRUPTED = SPAACIS_API_ERRMOD_BASE + 7;
// An argument other than an entity or tolerance is invalid (null pointer, bad count, bad range).
constexpr err_mess_type BAD_ARGUMENT = SPAACIS_API_ERRMOD_BASE + 8;
// Memory ran out.
constexpr err_mess_type OUT_OF_MEMORY = SPAACIS_API_ERRMOD_BASE + 9;
// A C++ exception that is not a modeler error reached an error block.
constexpr err_mess_type UNEXPECTED_EXCEPTION = SPAACIS_API_ERRMOD_BASE + 10;
// Number of entries of the API error module.
constexpr int SPAACIS_API_ERRMOD_COUNT = 11;

// The message text of an error number: "no error" for 0, "unknown error" for a code of no module.
// Never null.
VYR_ACIS_API const char* find_err_mess(err_mess_type err);

// ---------------------------------------------------------------------------------------------
// Error info, outcome, exception

// What went wrong: an error number, a message text and optionally the entity concerned.
// Held by outcomes and exceptions through shared ownership; copies share one record.
class VYR_ACIS_API error_info {
public:
    // The error `err` with its module's message text (see find_err_mess).
    explicit error_info(err_mess_type err = 0, const ENTITY* entity = nullptr);
    // The error `err` with its own message text (null = the module's text).
    error_info(err_mess_type err, const char* message, const ENTITY* entity = nullptr);

    // The error number.
    err_mess_type error_number() const { return m_error; }
    // The message text (never null).
    const char* error_message() const { return m_message.c_str(); }
    // The entity the error is about, or null. Not owned; it may no longer exist when read.
    const ENTITY* entity() const { return m_entity; }

private:
    err_mess_type m_error;
    std::string m_message;
    const ENTITY* m_entity;
};

// The result of a modeler call: success, or an error number with its error info.
class VYR_ACIS_API outcome {
public:
    // Success.
    outcome() = default;
    // Error `err` (0 = success). `info` is copied; when null, a failure gets the module's text.
    outcome(err_mess_type err, const error_info* info = nullptr);
    // Error `err` sharing an existing error record.
    outcome(err_mess_type err, std::shared_ptr<const error_info> info);

    // True when the call succeeded (error number 0).
    bool ok() const { return m_error == 0; }
    // 0 on success, else the error number.
    err_mess_type error_number() const { return m_error; }
    // The error info of a failure (never null when !ok()); null on success.
    const error_info* get_error_info() const { return m_info.get(); }
    // The shared error record (empty on success).
    const std::shared_ptr<const error_info>& shared_error_info() const { return m_info; }

private:
    err_mess_type m_error = 0;
    std::shared_ptr<const error_info> m_info;
};

// The modeler's exception: an error number and its error info. Raised by sys_error, caught by the
// error blocks below.
class VYR_ACIS_API acis_exception : public std::exception {
public:
    // Error `err`; `info` is copied (null = the module's text).
    explicit acis_exception(err_mess_type err, const error_info* info = nullptr,
                            const ENTITY* entity = nullptr);
    // Error `err` sharing an existing error record.
    acis_exception(err_mess_type err, std::shared_ptr<const error_info> info);

    // The error number (non-zero).
    err_mess_type error_number() const noexcept { return m_error; }
    // The error info (never null).
    const error_info* get_error_info() const noexcept { return m_info.get(); }
    // The error as an outcome.
    outcome to_outcome() const { return outcome(m_error, m_info); }
    // The message text.
    const char* what() const noexcept override;

private:
    err_mess_type m_error;
    std::shared_ptr<const error_info> m_info;
};

// Raises error `err` as an acis_exception. An error number of 0 raises API_FAILED, so a raise
// always carries an error.
[[noreturn]] VYR_ACIS_API void sys_error(err_mess_type err);
// Raises error `err` about `entity`.
[[noreturn]] VYR_ACIS_API void sys_error(err_mess_type err, const ENTITY* entity);
// Raises error `err` with a copy of `info` (null = the module's text).
[[noreturn]] VYR_ACIS_API void sys_error(err_mess_type err, const error_info* info);
// Raises error `err` (a literal null second argument).
[[noreturn]] inline void sys_error(err_mess_type err, std::nullptr_t) { sys_error(err); }

// Raises the outcome's error when it failed; does nothing on success.
VYR_ACIS_API void check_outcome(const outcome& result);

// ---------------------------------------------------------------------------------------------
// Interrupts

// True while an interrupt is pending. Nothing in the stand-in raises one by itself: only
// set_acis_interrupted() does (tests use it to imitate a user break).
VYR_ACIS_API bool acis_interrupted();
// Marks an interrupt as pending (true) or clears it (false).
VYR_ACIS_API void set_acis_interrupted(bool pending);
// When an interrupt is pending: clears it and raises INTERRUPTED. Otherwise does nothing.
VYR_ACIS_API void ACISExceptionCheck(const char* where = nullptr);

// ---------------------------------------------------------------------------------------------
// Error blocks. Each is a begin/end pair of macros around a statement sequence in one scope.

namespace spa_detail {
// The outcome of an exception caught in an error block (call only inside a catch handler).
VYR_ACIS_API outcome caught_outcome() noexcept;
// The error number of an exception caught in an error block (call only inside a catch handler).
VYR_ACIS_API err_mess_type caught_error_number() noexcept;
}  // namespace spa_detail

// API block:
//     API_BEGIN
//         ... body ...
//     API_END
//     (use result)
// Declares `outcome result;` (success) in the enclosing scope, so one API block per scope. An
// error raised in the body (acis_exception, any other C++ exception mapped to
// UNEXPECTED_EXCEPTION or OUT_OF_MEMORY) ends the body and lands in `result`. After the block a
// pending interrupt is raised (ACISExceptionCheck), as the modeler does: the caller's own error
// handling sees it.
#define API_BEGIN                                                                                  \
    outcome result;                                                                                \
    try {
#define API_END                                                                                    \
    }                                                                                              \
    catch (...) { result = ::spa_detail::caught_outcome(); }                                       \
    ::ACISExceptionCheck("API");

// API function block: as API_BEGIN/API_END, but a pending interrupt stays pending instead of being
// raised, so the enclosing function never throws. Every api_* function of the stand-in has the form
//     outcome api_x(...) { API_FUNCTION_BEGIN ... API_FUNCTION_END return result; }
// and checks its arguments inside with `sys_error(NULL_ENTITY)` and the like.
#define API_FUNCTION_BEGIN                                                                         \
    outcome result;                                                                                \
    try {
#define API_FUNCTION_END                                                                           \
    }                                                                                              \
    catch (...) { result = ::spa_detail::caught_outcome(); }

// Clean-up block (the error is passed on after the clean-up):
//     EXCEPTION_BEGIN
//         declarations seen by both parts
//     EXCEPTION_TRY
//         ... body ...
//     EXCEPTION_CATCH_TRUE
//         ... clean-up: runs always; `error_no` is 0 or the error number of the error ...
//     EXCEPTION_END
// After the clean-up, an error raised in the body is raised again (the same exception).
#define EXCEPTION_BEGIN                                                                            \
    {                                                                                              \
        std::exception_ptr spa_pending_exception_;                                                 \
        err_mess_type error_no = 0;
#define EXCEPTION_TRY try {
#define EXCEPTION_CATCH_TRUE                                                                       \
    }                                                                                              \
    catch (...) {                                                                                  \
        spa_pending_exception_ = std::current_exception();                                         \
        error_no = ::spa_detail::caught_error_number();                                            \
    }                                                                                              \
    {
#define EXCEPTION_END                                                                              \
    }                                                                                              \
    (void)error_no;                                                                                \
    if (spa_pending_exception_) std::rethrow_exception(spa_pending_exception_);                   \
    }

// Errors-dropped block:
//     ERRORS_IGNORED_BEGIN
//         ... body ...
//     ERRORS_IGNORED_END
// An error raised in the body ends the body and is dropped; the program goes on after the block.
// A pending interrupt stays pending.
#define ERRORS_IGNORED_BEGIN try {
#define ERRORS_IGNORED_END                                                                         \
    }                                                                                              \
    catch (...) {}

// ---------------------------------------------------------------------------------------------
// Logging and bulletin board. The display never changes the model inside a board, so the board
// records nothing and rolls nothing back; it only keeps begin/end balanced.

// Switches logging on (non-zero) or off; answers the previous state (1 or 0). Off by default.
VYR_ACIS_API int set_logging(int on);
// 1 when logging is on, else 0.
VYR_ACIS_API int logging_on();
// Opens a bulletin board (nesting allowed). `linear` is accepted and has no effect.
VYR_ACIS_API void api_bb_begin(int linear = 0);
// Closes the innermost board; `result` is left as it is (a failure stays a failure). An end
// without a begin does nothing. `linear` and `delete_bb` are accepted and have no effect.
VYR_ACIS_API void api_bb_end(outcome& result, int linear = 0, int delete_bb = 1);
// Number of boards open (0 when balanced).
VYR_ACIS_API int api_bb_depth();
