// CDataFileStream: a data file read as a stream.
#include "DataFileStream.h"

CDataFileStream::CDataFileStream(LPCWSTR path)
{
    Open(path);
}

CDataFileStream::~CDataFileStream()
{
    m_file.Abort();
}

bool CDataFileStream::Open(LPCWSTR path)
{
    m_file.Abort();
    return path && m_file.Open(path, CFile::modeRead | CFile::typeBinary) != FALSE;
}
