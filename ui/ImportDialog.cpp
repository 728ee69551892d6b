#include "ui/ImportDialog.h"

#include <wx/filedlg.h>
#include <wx/msgdlg.h>

#include "base/Dispatcher.h"
#include "base/Log.h"
#include "base/ProgressMonitor.h"
#include "base/Text.h"
#include "cli/ImportCommand.h"
#include "ui/ProgressWindow.h"

namespace {

const char* const kCaption = "Import Delimited Text";
const char* const kGridMessage = "Choose the Grid Table...";
const char* const kStemsMessage = "Choose the Stem Table...";
const char* const kSaveMessage = "Save the Plot As...";
const char* const kTextWildcard =
    "Delimited Text (*.csv;*.tsv;*.txt;*.gz)|*.csv;*.tsv;*.txt;*.gz|Any File (*.*)|*.*";
const char* const kDatabaseWildcard = "Database Files (*.db)|*.db";

// What the worker needs, and what it hands back to the main thread.
struct ImportTask {
    ProgressMonitor monitor{0.0, 0.0};
    ImportRequest request;
    ImportOutcome outcome;
    ImportDialogHooks hooks;
    std::weak_ptr<int> alive;
    wxWeakRef<ProgressWindow> progress;
};

wxString Choose(wxWindow* parent, const ImportDialogHooks& hooks, const wxString& message,
                const wxString& wildcard, long style) {
    if (hooks.chooseFile) {
        return hooks.chooseFile(message, wildcard, style);
    }
    wxFileDialog dialog(parent, message, wxEmptyString, wxEmptyString, wildcard, style);
    return dialog.ShowModal() == wxID_OK ? dialog.GetPath() : wxString();
}

void Report(const ImportTask& task) {
    const ImportOutcome& outcome = task.outcome;
    if (!outcome.written) {
        task.hooks.inform(wxString::FromUTF8(outcome.error.c_str()), kCaption, wxOK | wxICON_ERROR);
        return;
    }
    Log(LOG_RUN, "Delimited text imported.");
    if (!outcome.warnings.empty()) {
        wxString text = "The plot was imported, but:";
        for (const std::string& warning : outcome.warnings) {
            text += "\n- " + wxString::FromUTF8(warning.c_str());
        }
        task.hooks.inform(text, kCaption, wxOK | wxICON_WARNING);
    }
    task.hooks.open(wxString::FromUTF8(task.request.outputPath.c_str()));
}

int ImportFinished(void* argument) {
    std::unique_ptr<ImportTask> task(static_cast<ImportTask*>(argument));
    // The work is done: the progress window goes now, not at its next look,
    // before any message is shown or the written plot is opened.
    if (task->progress) {
        task->progress->CloseFinished();
    }
    // The window may have been closed while the worker ran.
    if (!task->alive.expired()) {
        Report(*task);
    }
    return 0;
}

int ImportStep(void* argument) {
    ImportTask* task = static_cast<ImportTask*>(argument);
    task->outcome = ImportPlot(task->request, &task->monitor);
    task->monitor.SetState(ProgressMonitor::Finished);
    PostToMainThread(&ImportFinished, task);
    return 0;
}

}  // namespace

bool AskImportFiles(wxWindow* parent, const ImportDialogHooks& hooks, ImportRequest& request) {
    const wxString grid = !request.gridPath.empty()
                              ? wxString::FromUTF8(request.gridPath.c_str())
                              : Choose(parent, hooks, kGridMessage, kTextWildcard, wxFD_OPEN);
    const wxString stems = grid.empty() ? wxString()
                           : !request.stemsPath.empty()
                               ? wxString::FromUTF8(request.stemsPath.c_str())
                               : Choose(parent, hooks, kStemsMessage, kTextWildcard, wxFD_OPEN);
    // The dialog asks before replacing a file, so a confirmed name may be replaced.
    const wxString output = stems.empty() ? wxString()
                                          : Choose(parent, hooks, kSaveMessage, kDatabaseWildcard,
                                                   wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (output.empty()) {
        return false;
    }
    request = {Utf8(grid), Utf8(stems), Utf8(output), true};
    return true;
}

void StartImport(wxWindow* parent, const ImportRequest& request, ImportDialogHooks hooks,
                 std::weak_ptr<int> alive) {
    ImportTask* task = new ImportTask;
    task->request = request;
    task->hooks = std::move(hooks);
    task->alive = std::move(alive);
    task->progress = ShowPulsingProgress(parent, task->monitor);
    StartThread(&ImportStep, task);
}
