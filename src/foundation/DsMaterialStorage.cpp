// CDsMaterialStorage: five material bytes.
#include "DsMaterialStorage.h"

CDsMaterialStorage::CDsMaterialStorage(uint8_t ambient, uint8_t diffuse, uint8_t specular, uint8_t shininess,
                                       uint8_t emission)
    : m_ambient(ambient), m_diffuse(diffuse), m_specular(specular), m_shininess(shininess), m_emission(emission)
{
}

CDsMaterialStorage::CDsMaterialStorage(const CDsMaterialStorage& other) : CDsMaterialStorage()
{
    CopyObject(other);
}

CDsMaterialStorage& CDsMaterialStorage::operator=(const CDsMaterialStorage& other)
{
    CopyObject(other);
    return *this;
}

void CDsMaterialStorage::CopyObject(const CDsMaterialStorage& other)
{
    SetData(other.m_ambient, other.m_diffuse, other.m_specular, other.m_shininess, other.m_emission);
}

void CDsMaterialStorage::ResetMembers()
{
    SetData(255, 190, 128, 10, 0);
}

void CDsMaterialStorage::GetData(uint8_t& ambient, uint8_t& diffuse, uint8_t& specular, uint8_t& shininess,
                                 uint8_t& emission) const
{
    ambient = m_ambient;
    diffuse = m_diffuse;
    specular = m_specular;
    shininess = m_shininess;
    emission = m_emission;
}

void CDsMaterialStorage::SetData(uint8_t ambient, uint8_t diffuse, uint8_t specular, uint8_t shininess,
                                 uint8_t emission)
{
    m_ambient = ambient;
    m_diffuse = diffuse;
    m_specular = specular;
    m_shininess = shininess;
    m_emission = emission;
}
