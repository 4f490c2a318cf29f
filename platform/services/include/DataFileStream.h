// IDataFileStream and CDataFileStream: a data file of the application read as a stream, as the
// display's image loads take it (the file handed over, rewound after a load).
#pragma once

#include "VyrServicesApi.h"

#include <afx.h>

// A stream over a framework file.
class VYR_SERVICES_API IDataFileStream {
public:
    virtual ~IDataFileStream() = default;
    // The file the stream reads (null when it has none); the stream keeps it.
    virtual CFile* GetFile() = 0;
};

// A data file opened for reading, in binary.
class VYR_SERVICES_API CDataFileStream : public IDataFileStream {
public:
    // No file.
    CDataFileStream() = default;
    // Opens `path` for reading; IsOpen tells whether that worked.
    explicit CDataFileStream(LPCWSTR path);
    // Closes the file.
    ~CDataFileStream() override;
    CDataFileStream(const CDataFileStream&) = delete;
    CDataFileStream& operator=(const CDataFileStream&) = delete;

    // Opens `path` for reading (an open file is closed first); false when it cannot be opened.
    bool Open(LPCWSTR path);
    // Whether a file is open.
    bool IsOpen() const { return m_file.IsOpen(); }
    // The open file, null when none.
    CFile* GetFile() override { return m_file.IsOpen() ? &m_file : nullptr; }

private:
    CFile m_file;
};
