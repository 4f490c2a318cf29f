// CVyrOptionScope and CVyrBulletinBoardScope: the two brackets every faceting and sketching call
// of the core puts around its modeler work, undone however the work ends (an error raised, an
// interrupt passed on). Internal to the core.
#pragma once

#include "SpaErrors.h"
#include "SpaOptions.h"

// Pushes a modeler option to a value for the scope's life (nothing when the option does not exist).
class CVyrOptionScope {
public:
    // Pushes `option` (may be null) to `value`.
    CVyrOptionScope(option_header* option, int value) : m_option(option)
    {
        if (m_option) m_option->push(value);
    }
    // Pushes the option called `name` to `value`.
    CVyrOptionScope(const char* name, int value) : CVyrOptionScope(find_option(name), value) {}
    // Pops what the constructor pushed.
    ~CVyrOptionScope()
    {
        if (m_option) m_option->pop();
    }
    CVyrOptionScope(const CVyrOptionScope&) = delete;
    CVyrOptionScope& operator=(const CVyrOptionScope&) = delete;

private:
    option_header* m_option;
};

// Modeler logging on and a bulletin board open for the scope's life; the board is closed with
// the outcome given to Close (or a success) and logging put back as it was.
class CVyrBulletinBoardScope {
public:
    // Logging on (the previous state remembered), a board opened with `linear`.
    explicit CVyrBulletinBoardScope(int linear) : m_linear(linear), m_previousLogging(set_logging(1))
    {
        api_bb_begin(m_linear);
    }
    // The outcome the board closes with.
    void Close(const outcome& result) { m_result = result; }
    // Closes the board and restores logging.
    ~CVyrBulletinBoardScope()
    {
        api_bb_end(m_result, m_linear, !m_previousLogging);
        set_logging(m_previousLogging);
    }
    CVyrBulletinBoardScope(const CVyrBulletinBoardScope&) = delete;
    CVyrBulletinBoardScope& operator=(const CVyrBulletinBoardScope&) = delete;

private:
    int m_linear;
    int m_previousLogging;
    outcome m_result;
};
