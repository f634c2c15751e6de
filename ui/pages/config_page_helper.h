#pragma once

#include <map>
#include <string>

#include "link/com_device.h"

class QWidget;
class QLineEdit;
class ComboBox;

// The part every configuration page shares. A page derives from
// TemplateDialog (first) and CConfigPageHelper (second), binds its value
// controls to configuration ids in BindControls, sets its captions in
// UpdateLabels, and its OnInitDialog runs Initialize() (labels, bindings,
// the catalogue's initial values and combo lists).
//
// Bound controls are the page's own edits (QLineEdit) and combo boxes
// (ComboBox); any other widget is skipped. All of it runs on the UI thread.
class CConfigPageHelper {
public:
    CConfigPageHelper() = default;
    virtual ~CConfigPageHelper();
    CConfigPageHelper(const CConfigPageHelper&) = delete;
    CConfigPageHelper& operator=(const CConfigPageHelper&) = delete;

    virtual void Initialize();  // UpdateLabels, BindControls, LoadControls
    virtual void BindControls() = 0;
    virtual void UpdateLabels() = 0;
    virtual void LoadControls();
    virtual void SetValues(const ParamValueMap& values);
    virtual void GetValues(ParamValueMap& out);
    virtual void LoadCombo(const std::string& id, ComboBox* combo);
    virtual void LoadEdit(const std::string& id, QLineEdit* edit);
    virtual void ShowEditValue(const std::string& id, QLineEdit* edit, const std::string& value);
    virtual void ShowComboValue(const std::string& id, ComboBox* combo, const std::string& value);
    virtual bool ReadEdit(const std::string& id, QLineEdit* edit, ParamValueMap& out);
    virtual bool ReadCombo(const std::string& id, ComboBox* combo, ParamValueMap& out);
    virtual void UpdateControlStates();

    // The catalogue label of id in the interface language; false (label
    // untouched) when the id has no catalogue row.
    bool GetParamLabel(const std::string& id, std::string& label);

    // Configuration id to bound control (not owned; byte order of the ids).
    // Binding an id again replaces the earlier control.
    std::map<std::string, QWidget*> m_controls;
    // The module connection; set by the main dialog before the page is created.
    CComDevice* m_device = nullptr;
};

// The value stored under key, or "" when the map has none.
std::string GetMapValue(const ParamValueMap& map, const std::string& key);
