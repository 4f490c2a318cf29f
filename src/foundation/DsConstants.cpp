// Constant names the display core shares.
#include "DsConstants.h"

const CStringW gDsDisplayFolder(L"\\Display");
const wchar_t* const gDsPreferenceFileName = L"ZorbelanE.prf";

const wchar_t* const gDsPrefGroupPart = L"Part";
const wchar_t* const gDsPrefGroupDrafting = L"Drafting";
const wchar_t* const gDsPrefGroupGeneral = L"General";

const wchar_t* const gDsModuleNc = L"NC";
const wchar_t* const gDsModuleElectrode = L"Electrode";
const wchar_t* const gDsModuleMoldBase = L"MoldBase";
const wchar_t* const gDsModuleDataInterface = L"Data_Interface";
const wchar_t* const gDsModuleDie = L"Die";

const wchar_t* const gDsPrefActiveColor = L"ActiveColor";
const wchar_t* const gDsPrefActiveStyle = L"ActiveStyle";
const wchar_t* const gDsPrefActiveWidth = L"ActiveWidth";
