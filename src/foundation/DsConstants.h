// Constant names the display core shares: folders, files, preference groups and
// keys, and the application modules it tells apart.
#pragma once

#include <afx.h>

// The display subfolder, appended to a folder path: "\Display".
extern AFX_EXT_DATA const CStringW gDsDisplayFolder;
// The application's preference file: "ZorbelanE.prf".
extern AFX_EXT_DATA const wchar_t* const gDsPreferenceFileName;

// Preference group of part documents: "Part".
extern AFX_EXT_DATA const wchar_t* const gDsPrefGroupPart;
// Preference group of drawings: "Drafting".
extern AFX_EXT_DATA const wchar_t* const gDsPrefGroupDrafting;
// Preference group of the whole application: "General".
extern AFX_EXT_DATA const wchar_t* const gDsPrefGroupGeneral;

// Application module names: "NC", "Electrode", "MoldBase", "Data_Interface", "Die".
extern AFX_EXT_DATA const wchar_t* const gDsModuleNc;
extern AFX_EXT_DATA const wchar_t* const gDsModuleElectrode;
extern AFX_EXT_DATA const wchar_t* const gDsModuleMoldBase;
extern AFX_EXT_DATA const wchar_t* const gDsModuleDataInterface;
extern AFX_EXT_DATA const wchar_t* const gDsModuleDie;

// Preference keys of the active line attributes: "ActiveColor", "ActiveStyle", "ActiveWidth".
extern AFX_EXT_DATA const wchar_t* const gDsPrefActiveColor;
extern AFX_EXT_DATA const wchar_t* const gDsPrefActiveStyle;
extern AFX_EXT_DATA const wchar_t* const gDsPrefActiveWidth;
