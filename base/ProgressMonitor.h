// A shared, locked record of how far a long operation has come. Copies share
// one state, so each stage of a job gets a copy and all write the same record.
#pragma once

#include <memory>
#include <string>

class ProgressMonitor {
  public:
    enum State { Running = 1, Finished = 2, NoBody = 3 };

    ProgressMonitor(double total, double progress);
    ProgressMonitor(const ProgressMonitor& other) = default;
    ProgressMonitor& operator=(const ProgressMonitor& other) = default;
    virtual ~ProgressMonitor() = default;

    void SetTotal(double total);
    void SetProgress(double progress);
    void AddTotal(double amount);
    void AddProgress(double amount);
    double GetTotal() const;
    double GetProgress() const;

    // progress / total * 100 truncated toward zero; 0 when total is 0; not clamped.
    int GetPercent() const;

    // Accepts only Running and Finished; anything else is ignored.
    void SetState(int state);
    int GetState() const;

    void SetMessage(const char* format, ...) __attribute__((format(printf, 2, 3)));
    std::string GetMessage() const;

  private:
    struct Body;
    std::shared_ptr<Body> body;
};
