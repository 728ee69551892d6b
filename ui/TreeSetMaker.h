// Makes the selected trees' own sets (their index tables, read into memory)
// on a worker behind the pulsing progress window, as an opening is, so that
// the window's thread never waits for another program to build them. A tree
// whose set could not be made is drawn empty and said once; it is tried
// again after the next ForgetFailures.
#pragma once

#include <wx/string.h>

#include <functional>
#include <memory>
#include <set>
#include <vector>

#include "ui/BackgroundJob.h"

class PlotFile;

class TreeSetMaker {
  public:
    // problems: what to tell the user of the trees whose sets could not be
    // made, one line each; empty when every set was made.
    using Done = std::function<void(const wxString& problems)>;

    TreeSetMaker(JobRunner runJob, Done done) : runJob(std::move(runJob)), done(std::move(done)) {}
    TreeSetMaker(const TreeSetMaker&) = delete;
    TreeSetMaker& operator=(const TreeSetMaker&) = delete;

    // The trees not made yet and not failed since the last ForgetFailures.
    std::vector<wxString> Needed(const PlotFile& plot, const std::vector<wxString>& trees) const;
    // Starts making the sets of the trees Needed; false when none needs it.
    // The plot is left to the worker until done is called.
    bool Start(const std::shared_ptr<PlotFile>& plot, const std::vector<wxString>& trees);
    void ForgetFailures() { failed.clear(); }

  private:
    wxString Problems(PlotFile& plot, const std::vector<wxString>& trees, const JobEnd& end);

    JobRunner runJob;
    Done done;
    std::set<wxString> failed;
    // Lets a job that ends after its maker has gone leave it alone.
    std::shared_ptr<int> alive = std::make_shared<int>(0);
};
