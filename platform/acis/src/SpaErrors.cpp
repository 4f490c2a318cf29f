// Modeler errors: message texts, outcomes, exceptions, interrupts, logging, bulletin board.
#include "SpaErrors.h"

#include <atomic>
#include <new>

namespace {

const char* const kApiMessages[SPAACIS_API_ERRMOD_COUNT] = {
    "modeler call failed",                            // API_FAILED
    "null entity",                                    // NULL_ENTITY
    "entity of the wrong type",                       // WRONG_TYPE
    "tolerance is zero, negative or not a number",    // BAD_TOLERANCE
    "no mesh manager set",                            // NO_MESH_MANAGER
    "degenerate ray",                                 // DEGENERATE_RAY
    "geometry kernel failure",                        // OCCT_FAILURE
    "interrupted",                                    // INTERRUPTED
    "invalid argument",                               // BAD_ARGUMENT
    "out of memory",                                  // OUT_OF_MEMORY
    "unexpected exception",                           // UNEXPECTED_EXCEPTION
};

std::atomic<bool> g_interrupted{false};
std::atomic<int> g_logging{0};
std::atomic<int> g_bbDepth{0};

// Made up front so that reporting an exhausted memory needs no memory.
const std::shared_ptr<const error_info> g_outOfMemory =
    std::make_shared<const error_info>(OUT_OF_MEMORY);

// A non-zero error number: 0 becomes the generic failure.
err_mess_type NonZero(err_mess_type err) { return err != 0 ? err : API_FAILED; }

std::shared_ptr<const error_info> MakeInfo(err_mess_type err, const error_info* info,
                                           const ENTITY* entity) {
    if (info) return std::make_shared<const error_info>(*info);
    return std::make_shared<const error_info>(err, entity);
}

}  // namespace

const message_module spaacis_api_errmod("spaacis_api_errmod", SPAACIS_API_ERRMOD_BASE,
                                        SPAACIS_API_ERRMOD_COUNT, kApiMessages);

const char* message_module::text(int index) const {
    if (!m_texts || index < 0 || index >= m_count) return nullptr;
    return m_texts[index];
}

err_mess_type message_code(const message_module& module, int index) {
    if (index < 0 || index >= module.count()) index = 0;
    return module.base() + index;
}

const char* find_err_mess(err_mess_type err) {
    if (err == 0) return "no error";
    if (spaacis_api_errmod.contains(err)) {
        const char* text = spaacis_api_errmod.text(err - spaacis_api_errmod.base());
        if (text) return text;
    }
    return "unknown error";
}

error_info::error_info(err_mess_type err, const ENTITY* entity)
    : m_error(err), m_message(find_err_mess(err)), m_entity(entity) {}

error_info::error_info(err_mess_type err, const char* message, const ENTITY* entity)
    : m_error(err), m_message(message ? message : find_err_mess(err)), m_entity(entity) {}

outcome::outcome(err_mess_type err, const error_info* info) : m_error(err) {
    if (err != 0) m_info = MakeInfo(err, info, nullptr);
}

outcome::outcome(err_mess_type err, std::shared_ptr<const error_info> info) : m_error(err) {
    if (err == 0) return;
    m_info = info ? std::move(info) : MakeInfo(err, nullptr, nullptr);
}

acis_exception::acis_exception(err_mess_type err, const error_info* info, const ENTITY* entity)
    : m_error(NonZero(err)), m_info(MakeInfo(NonZero(err), info, entity)) {}

acis_exception::acis_exception(err_mess_type err, std::shared_ptr<const error_info> info)
    : m_error(NonZero(err)),
      m_info(info ? std::move(info) : MakeInfo(NonZero(err), nullptr, nullptr)) {}

const char* acis_exception::what() const noexcept { return m_info->error_message(); }

void sys_error(err_mess_type err) { throw acis_exception(err); }

void sys_error(err_mess_type err, const ENTITY* entity) {
    throw acis_exception(err, nullptr, entity);
}

void sys_error(err_mess_type err, const error_info* info) { throw acis_exception(err, info); }

void check_outcome(const outcome& result) {
    if (!result.ok()) throw acis_exception(result.error_number(), result.shared_error_info());
}

bool acis_interrupted() { return g_interrupted.load(); }

void set_acis_interrupted(bool pending) { g_interrupted.store(pending); }

void ACISExceptionCheck(const char*) {
    if (g_interrupted.exchange(false)) sys_error(INTERRUPTED);
}

namespace spa_detail {

outcome caught_outcome() noexcept {
    try {
        throw;
    } catch (const acis_exception& e) {
        return e.to_outcome();
    } catch (const std::bad_alloc&) {
        return outcome(OUT_OF_MEMORY, g_outOfMemory);
    } catch (const std::exception& e) {
        // Keep the exception's own text: it is the only clue to what failed.
        try {
            error_info info(UNEXPECTED_EXCEPTION, e.what());
            return outcome(UNEXPECTED_EXCEPTION, &info);
        } catch (...) {
            return outcome(OUT_OF_MEMORY, g_outOfMemory);
        }
    } catch (...) {
        return outcome(UNEXPECTED_EXCEPTION);
    }
}

err_mess_type caught_error_number() noexcept {
    try {
        throw;
    } catch (const acis_exception& e) {
        return e.error_number();
    } catch (const std::bad_alloc&) {
        return OUT_OF_MEMORY;
    } catch (...) {
        return UNEXPECTED_EXCEPTION;
    }
}

}  // namespace spa_detail

int set_logging(int on) { return g_logging.exchange(on != 0 ? 1 : 0); }

int logging_on() { return g_logging.load(); }

void api_bb_begin(int) { ++g_bbDepth; }

void api_bb_end(outcome&, int, int) {
    int depth = g_bbDepth.load();
    while (depth > 0 && !g_bbDepth.compare_exchange_weak(depth, depth - 1)) {
    }
}

int api_bb_depth() { return g_bbDepth.load(); }
