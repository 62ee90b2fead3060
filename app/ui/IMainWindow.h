// What the command module asks of the main window. The main window implements
// it and registers itself with TDomain::SetMainWindow; tests register a
// scripted stand-in. The command module never includes a window's header.
#pragma once

class TImageView;

class IMainWindow {
public:
    virtual ~IMainWindow() = default;

    // Refreshes every control from the document, the current style and tool.
    virtual void UpdateControls() = 0;
    // Redraws style list entry `index`, selects it and draws its preview.
    virtual void UpdateStyleFrame(int index) = 0;
    // Draws the current stroke renderer's thumbnail.
    virtual void UpdateBrushPreview() = 0;
    // Selects entry 0 of the style combo box and runs its change handler, so
    // the built-in first style becomes the current style (after Open).
    virtual void SelectFirstStyle() = 0;
    // Binds the project-save button: to Save Project when `toSave`, else to
    // Save Project As; it always reads "Save Project".
    virtual void BindSaveProjectButton(bool toSave) = 0;
    // The colour panel forgets its swatches and shifts (a new document).
    virtual void ResetColorPanel() = 0;
    // The navigator window.
    virtual void ShowNavigator() = 0;
    virtual void HideNavigator() = 0;
};
