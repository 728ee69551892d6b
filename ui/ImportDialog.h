// File > Import Delimited Text...: asks for the grid and stem files and for
// where to save the plot, imports on a worker thread behind the progress
// window, then reports and hands the new file over to be opened.
#pragma once

#include <wx/string.h>

#include <functional>
#include <memory>

#include "cli/ImportCommand.h"

class wxWindow;

struct ImportDialogHooks {
    // Answers a file dialog (message, wildcard, style); empty when cancelled.
    // Without it the toolkit's file dialogs ask the user.
    std::function<wxString(const wxString&, const wxString&, long)> chooseFile;
    // Shows a message (text, caption, style).
    std::function<void(const wxString&, const wxString&, long)> inform;
    // Opens the plot file that was written.
    std::function<void(const wxString&)> open;
};

// Asks for the files the request lacks: the grid and stem tables unless it
// names them (files dropped on the window), and where to save; false when
// the user cancels one of the questions.
bool AskImportFiles(wxWindow* parent, const ImportDialogHooks& hooks, ImportRequest& request);

// Starts the import behind a modal progress window. When it ends, the
// progress window closes; then an error or the warnings are shown and a
// written plot is opened, unless the window that alive belongs to has gone
// meanwhile.
void StartImport(wxWindow* parent, const ImportRequest& request, ImportDialogHooks hooks,
                 std::weak_ptr<int> alive);
