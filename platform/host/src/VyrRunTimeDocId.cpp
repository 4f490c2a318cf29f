// CVyrRunTimeDocId: type names and the type of a document.
#include "VyrRunTimeDocId.h"

#include "VyrPdmServer.h"

const wchar_t* const CVyrRunTimeDocId::sTypeModeler = L"Modeler";
const wchar_t* const CVyrRunTimeDocId::sTypeAssembly = L"Assembly";
const wchar_t* const CVyrRunTimeDocId::sTypeDrafting = L"Drafting";
const wchar_t* const CVyrRunTimeDocId::sTypeSheet = L"Sheet";
const wchar_t* const CVyrRunTimeDocId::sTypeNC = L"NC";

std::wstring CVyrRunTimeDocId::GetType() const { return CVyrPdmServer::StInstance()->GetType(m_number); }
