// Modeler options: named settings with a stack of values, pushed and popped around an operation.
//
// The options are fixed: they exist for the life of the process and are found by exact name.
//   "backup_boxes"       logical, default 1: entities keep their bounding boxes for later
//                        operations.
//   "facet_store_meshes" logical, default 1: the faceter keeps each face's mesh on the face. The
//                        display sets it to 0 for a faceting run because its own mesh manager
//                        keeps the meshes. The stand-in's faceter never keeps meshes, so it only
//                        records the setting.
#pragma once

#include "VyrAcisApi.h"
#include "SpaErrors.h"

#include <string>
#include <vector>

// Kind of value an option holds (the value type codes of option_header::type()).
enum option_value_type {
    int_option = 0,      // an integer
    logical_option = 1,  // 0 or 1
    double_option = 2,   // a floating-point number
    string_option = 3    // a text
};

// One named option: its type, its current value and the values pushed over it.
class VYR_ACIS_API option_header {
public:
    // An integer or logical option with `value` (a logical keeps 0 or 1).
    option_header(const char* name, option_value_type type, int value);
    // A double option with `value`.
    option_header(const char* name, double value);
    // A string option with `value` (null = empty).
    option_header(const char* name, const char* value);
    // Not copyable: callers hold options by pointer.
    option_header(const option_header&) = delete;
    option_header& operator=(const option_header&) = delete;

    // The option's name.
    const char* name() const { return m_name.c_str(); }
    // The type of the option's values.
    option_value_type type() const { return m_type; }
    // False while the current value is "no value" (see push_no_value).
    bool has_value() const { return m_values.back().present; }
    // Number of values pushed and not yet popped.
    int push_depth() const { return static_cast<int>(m_values.size()) - 1; }

    // Integer value (int/logical; a double is truncated; string or no value: 0).
    int count() const;
    // Logical value: 1 when the integer or double value is non-zero (string or no value: 0).
    int on() const;
    // Double value (int/logical converted; string or no value: 0.0).
    double value() const;
    // String value ("" for other types and for no value). Valid until the next push or pop.
    const char* string() const;

    // Pushes an integer: fits int, logical (non-zero becomes 1) and double options.
    void push(int value);
    // Pushes a double: fits double options.
    void push(double value);
    // Pushes a string (null = empty): fits string options.
    void push(const char* value);
    // Pushes the "no value" state.
    void push_no_value();
    // A push that does not fit the option's type pushes a copy of the current value, so every push
    // still pairs with one pop.

    // Restores the value before the last push. Without a push it does nothing.
    void pop();

private:
    struct Value {
        bool present = true;
        int i = 0;
        double d = 0.0;
        std::string s;
    };
    void pushCopy();

    std::string m_name;
    option_value_type m_type;
    std::vector<Value> m_values;  // [0] is the default; the back is the current value
};

// The option called `name`, or null when there is none (or `name` is null).
VYR_ACIS_API option_header* find_option(const char* name);
