// CDmRefCountPtrTempl: an intrusive reference-counting pointer to a record that counts its own
// references (AddRef, and Release, which frees the record at zero).
#pragma once

#include <utility>

// Holds one reference to a T (T offers int AddRef() and int Release()); empty when null.
template <typename T>
class CDmRefCountPtrTempl {
public:
    // An empty pointer.
    CDmRefCountPtrTempl() = default;
    // Takes a reference to `record` (nothing for null).
    CDmRefCountPtrTempl(T* record) : m_record(record) {
        if (m_record) m_record->AddRef();
    }
    // Takes another reference to the other pointer's record.
    CDmRefCountPtrTempl(const CDmRefCountPtrTempl& other) : CDmRefCountPtrTempl(other.m_record) {}
    // Takes over the other pointer's reference; the other becomes empty.
    CDmRefCountPtrTempl(CDmRefCountPtrTempl&& other) noexcept : m_record(std::exchange(other.m_record, nullptr)) {}
    // Releases the reference held (the record is freed when it was the last one).
    ~CDmRefCountPtrTempl() {
        if (m_record) m_record->Release();
    }
    // Holds the other pointer's record instead (a reference taken, the old one released).
    CDmRefCountPtrTempl& operator=(CDmRefCountPtrTempl other) noexcept {
        std::swap(m_record, other.m_record);
        return *this;
    }

    // The record, or null.
    T* get() const { return m_record; }
    // The record (not null).
    T* operator->() const { return m_record; }
    // The record (not null).
    T& operator*() const { return *m_record; }
    // Whether a record is held.
    explicit operator bool() const { return m_record != nullptr; }

private:
    T* m_record = nullptr;
};
