// CAttrNumberIncrementer: the documents an attribute operation touched, marked changed at its end.
#include "AttrNumberIncrementer.h"

#include "VyrDTM.h"

CAttrNumberIncrementer::CAttrNumberIncrementer() : m_marking(true) {}

CAttrNumberIncrementer::~CAttrNumberIncrementer()
{
    if (m_documents.empty()) return;
    CVyrDTM* register_ = CVyrDTM::Instance();
    for (const CVyrRunTimeDocId& document : m_documents)
        if (CVyrAppModel* model = register_->Lookup(document)) model->SetModelChange(kModelChangeKind, true);
}

void CAttrNumberIncrementer::AddDocument(const CVyrRunTimeDocId& document) const
{
    if (document.IsValid()) m_documents.insert(document);
}
