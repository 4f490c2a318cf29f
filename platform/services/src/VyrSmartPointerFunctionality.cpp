// CVyrSmartPointerFunctionality: pointers that learn when their object is gone.
#include "VyrSmartPointerFunctionality.h"

CVyrSmartPointerFunctionality::CVyrSmartPointerFunctionality()
    : m_cell(std::make_shared<CVyrSmartPointerFunctionality*>(this))
{
}

CVyrSmartPointerFunctionality::CVyrSmartPointerFunctionality(const CVyrSmartPointerFunctionality&)
    : CVyrSmartPointerFunctionality()
{
}

CVyrSmartPointerFunctionality& CVyrSmartPointerFunctionality::operator=(const CVyrSmartPointerFunctionality&)
{
    return *this;
}

CVyrSmartPointerFunctionality::~CVyrSmartPointerFunctionality()
{
    *m_cell = nullptr;
}

CVyrSmartPointer CVyrSmartPointerFunctionality::GetSmartPointer() const
{
    return CVyrSmartPointer(m_cell);
}
