// CAttrNumberIncrementer: the documents an attribute operation touched.
#include "AttrNumberIncrementer.h"

void CAttrNumberIncrementer::AddDocument(const CVyrRunTimeDocId& document) const
{
    if (document.IsValid()) m_documents.insert(document);
}
