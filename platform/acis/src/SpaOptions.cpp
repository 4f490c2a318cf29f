// Modeler options: the fixed table and the value stack of each option.
#include "SpaOptions.h"

#include <cstring>

option_header::option_header(const char* name, option_value_type type, int value)
    : m_name(name ? name : ""), m_type(type == logical_option ? logical_option : int_option) {
    Value v;
    v.i = (m_type == logical_option) ? (value != 0 ? 1 : 0) : value;
    m_values.push_back(v);
}

option_header::option_header(const char* name, double value)
    : m_name(name ? name : ""), m_type(double_option) {
    Value v;
    v.d = value;
    m_values.push_back(v);
}

option_header::option_header(const char* name, const char* value)
    : m_name(name ? name : ""), m_type(string_option) {
    Value v;
    v.s = value ? value : "";
    m_values.push_back(v);
}

int option_header::count() const {
    const Value& v = m_values.back();
    if (!v.present) return 0;
    switch (m_type) {
    case int_option:
    case logical_option:
        return v.i;
    case double_option:
        // Out-of-range doubles would be undefined to convert: clamp them.
        if (!(v.d == v.d)) return 0;
        if (v.d >= 2147483647.0) return 2147483647;
        if (v.d <= -2147483648.0) return -2147483647 - 1;
        return static_cast<int>(v.d);
    case string_option:
        break;
    }
    return 0;
}

int option_header::on() const {
    const Value& v = m_values.back();
    if (!v.present) return 0;
    switch (m_type) {
    case int_option:
    case logical_option:
        return v.i != 0 ? 1 : 0;
    case double_option:
        return v.d != 0.0 ? 1 : 0;
    case string_option:
        break;
    }
    return 0;
}

double option_header::value() const {
    const Value& v = m_values.back();
    if (!v.present) return 0.0;
    switch (m_type) {
    case int_option:
    case logical_option:
        return v.i;
    case double_option:
        return v.d;
    case string_option:
        break;
    }
    return 0.0;
}

const char* option_header::string() const {
    const Value& v = m_values.back();
    if (!v.present || m_type != string_option) return "";
    return v.s.c_str();
}

void option_header::pushCopy() {
    Value copy = m_values.back();
    m_values.push_back(std::move(copy));
}

void option_header::push(int value) {
    Value v;
    switch (m_type) {
    case int_option:
        v.i = value;
        break;
    case logical_option:
        v.i = value != 0 ? 1 : 0;
        break;
    case double_option:
        v.d = value;
        break;
    case string_option:
        pushCopy();
        return;
    }
    m_values.push_back(v);
}

void option_header::push(double value) {
    if (m_type != double_option) {
        pushCopy();
        return;
    }
    Value v;
    v.d = value;
    m_values.push_back(v);
}

void option_header::push(const char* value) {
    if (m_type != string_option) {
        pushCopy();
        return;
    }
    Value v;
    v.s = value ? value : "";
    m_values.push_back(std::move(v));
}

void option_header::push_no_value() {
    Value v;
    v.present = false;
    m_values.push_back(v);
}

void option_header::pop() {
    if (m_values.size() > 1) m_values.pop_back();
}

option_header* find_option(const char* name) {
    static option_header backupBoxes("backup_boxes", logical_option, 1);
    static option_header facetStoreMeshes("facet_store_meshes", logical_option, 1);
    static option_header* const options[] = {&backupBoxes, &facetStoreMeshes};
    if (!name) return nullptr;
    for (option_header* option : options)
        if (std::strcmp(option->name(), name) == 0) return option;
    return nullptr;
}
