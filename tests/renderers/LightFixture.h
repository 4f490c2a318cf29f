// What the tests of the lights share: a registry of their own whose data folder is an empty
// scratch folder (so a new light list finds no default files unless a test puts them there), a
// warnings folder of their own, the recorded message boxes emptied before and after, the scene
// database's default material put back, and helpers for files, text lines and light values.
#pragma once

#include "DsGeometryComputer.h"
#include "DsLight.h"
#include "DsLightList.h"
#include "DsPartStorage.h"
#include "ScopedEnv.h"
#include "ScratchRegistry.h"
#include "TestFiles.h"
#include "VyrRegistry.h"
#include "VyrString.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <string>
#include <vector>

namespace vyrtest {

class LightTest : public ::testing::Test {
protected:
    LightTest()
    {
        VyrClearMessageBoxes();
        CDsPartStorage::instance()->GetDefaultMaterial(material_[0], material_[1], material_[2], material_[3],
                                                       material_[4]);
        SetDataDir(dataDir_);
    }
    ~LightTest() override
    {
        VyrClearMessageBoxes();
        CDsPartStorage::instance()->SetDefaultMaterial(material_[0], material_[1], material_[2], material_[3],
                                                       material_[4]);
    }

    // Points the registry's "DataDir" at `dir`.
    static void SetDataDir(const std::string& dir)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, CVyrRegistry::sApplicationKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const std::wstring value(dir.begin(), dir.end());
        ASSERT_EQ(RegSetValueExW(key, L"DataDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 DWORD((value.size() + 1) * sizeof(WCHAR))),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    // The texts of the message boxes shown so far.
    static std::vector<std::wstring> MessageBoxes()
    {
        std::vector<std::wstring> texts;
        for (UINT i = 0; i < VyrGetMessageBoxCount(); ++i) texts.push_back(VyrGetMessageBoxText(i));
        return texts;
    }
    // The lines of the warnings file.
    std::vector<std::string> Warnings() const
    {
        CDsGeometryComputer::FlushWarnings();
        std::vector<std::string> lines;
        std::ifstream in(warningsDir_ + "/DisplayDebugWarnings.txt");
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    // A file of the scratch folder holding `bytes`; its path.
    std::string WriteFile(const std::string& name, const std::string& bytes) const
    {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    // A path of the scratch folder, as the list takes it.
    CVyrString PathOf(const std::string& name) const { return CVyrString((dir_ + "/" + name).c_str()); }

    // The host's text lines of a list, or the eleven of a light.
    static std::vector<std::wstring> Lines(const CDsLightList& list)
    {
        std::deque<std::wstring> lines;
        list.GetLights(&lines);
        return {lines.begin(), lines.end()};
    }
    static std::vector<std::wstring> Lines(const CDsLight& light)
    {
        std::deque<std::wstring> lines;
        light.Get(&lines);
        return {lines.begin(), lines.end()};
    }
    // The numbers of a text line after its first word.
    static std::vector<double> Numbers(const std::wstring& line)
    {
        std::vector<double> numbers;
        size_t pos = line.find(L' ');
        while (pos != std::wstring::npos && pos < line.size()) {
            size_t end = 0;
            const std::wstring rest = line.substr(pos + 1);
            try {
                numbers.push_back(std::stod(rest, &end));
            } catch (...) {
                break;
            }
            pos = line.find(L' ', pos + 1);
        }
        return numbers;
    }
    // The five material bytes of a list.
    static std::vector<int> Material(const CDsLightList& list)
    {
        CDsMaterialStorage material;
        list.GetMaterial(material);
        uint8_t b[5];
        material.GetData(b[0], b[1], b[2], b[3], b[4]);
        return {b[0], b[1], b[2], b[3], b[4]};
    }

    std::string dir_ = ScratchDir();
    std::string dataDir_ = ScratchDir();
    std::string warningsDir_ = ScratchDir();
    ScopedEnv tmpEnv_{"TMPDIR", warningsDir_.c_str()};
    ScratchRegistry registry_;
    float material_[5] = {0, 0, 0, 0, 0};
};

}  // namespace vyrtest
