// CVyrDTM and CVyrAppModel: the application models of the open documents and their change marks.
#include "VyrDTM.h"

#include "VyrPdmServer.h"

#include <map>
#include <memory>

namespace {

// Models by document number. Never destroyed, so lookups still answer during static destruction.
std::map<int, std::unique_ptr<CVyrAppModel>>& Models()
{
    static auto* models = new std::map<int, std::unique_ptr<CVyrAppModel>>;
    return *models;
}

// The journal of marks.
std::vector<SVyrModelChangeMark>& Marks()
{
    static auto* marks = new std::vector<SVyrModelChangeMark>;
    return *marks;
}

}  // namespace

void CVyrAppModel::SetModelChange(unsigned kind, bool changed)
{
    if (changed)
        m_changes |= kind;
    else
        m_changes &= ~kind;
    CVyrDTM::Instance()->NoteMark(m_document, kind, changed);
}

CVyrDTM* CVyrDTM::Instance()
{
    static CVyrDTM* instance = new CVyrDTM;
    return instance;
}

CVyrAppModel* CVyrDTM::Lookup(const CVyrRunTimeDocId& document)
{
    if (!document.IsValid() || !CVyrPdmServer::StInstance()->IsOpen(document)) return nullptr;
    std::unique_ptr<CVyrAppModel>& model = Models()[document.GetNumber()];
    if (!model) model = std::make_unique<CVyrAppModel>(document);
    return model.get();
}

void CVyrDTM::RemoveModel(const CVyrRunTimeDocId& document)
{
    Models().erase(document.GetNumber());
}

const std::vector<SVyrModelChangeMark>& CVyrDTM::GetMarks() const
{
    return Marks();
}

void CVyrDTM::ClearMarks()
{
    Marks().clear();
}

void CVyrDTM::NoteMark(const CVyrRunTimeDocId& document, unsigned kind, bool changed)
{
    Marks().push_back(SVyrModelChangeMark{document.GetNumber(), kind, changed});
}

void CVyrDTM::ResetForTests()
{
    Models().clear();
    Marks().clear();
}

VYR_REGISTER_TEST_RESET(CVyrDTM::ResetForTests, [] {
    CVyrDTM::ResetForTests();
    return true;
});
