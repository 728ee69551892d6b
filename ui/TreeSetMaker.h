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

class RenderHelper;
class wxWindow;
struct JobEnd;

class TreeSetMaker {
  public:
    // problems: what to tell the user of the trees whose sets could not be
    // made, one line each; empty when every set was made.
    using Done = std::function<void(const wxString& problems)>;

    TreeSetMaker(wxWindow* parent, Done done) : parent(parent), done(std::move(done)) {}
    TreeSetMaker(const TreeSetMaker&) = delete;
    TreeSetMaker& operator=(const TreeSetMaker&) = delete;

    // Starts making the sets of the trees not made yet and not failed since
    // the last ForgetFailures; false when none needs it. The plot is left
    // to the worker until done is called.
    bool Start(const std::shared_ptr<RenderHelper>& helper, const std::vector<wxString>& trees);
    void ForgetFailures() { failed.clear(); }

  private:
    wxString Problems(RenderHelper& helper, const std::vector<wxString>& trees, const JobEnd& end);

    wxWindow* parent;
    Done done;
    std::set<wxString> failed;
    // Lets a job that ends after its maker has gone leave it alone.
    std::shared_ptr<int> alive = std::make_shared<int>(0);
};
