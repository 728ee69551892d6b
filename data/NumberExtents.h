// The least and greatest number of a position column, worked out row by row
// during a pass that reads the rows anyway, exactly as SQLite's min() and
// max() over the column read as numbers give them: the same comparisons of
// integers with reals, the first of equal values kept, and NULL skipped (a
// column holding any NULL has NULL, read as 0, for its least value, as an
// ascending sort puts NULL first).
#pragma once

#include "db/Row.h"

class NumberExtents {
  public:
    // One row's value of the column, as fetched from the statement. Read
    // before the row's values are converted to other types.
    void Add(const StoredValue& value);

    // Whether the column had any rows, and its least and greatest value as
    // the query's one row reads them.
    bool HasRows() const { return rows > 0; }
    double Least() const;
    double Greatest() const;

  private:
    // A number as SQL holds it: an integer or a real.
    struct Number {
        bool integer = false;
        long long whole = 0;
        double real = 0.0;
    };
    long long rows = 0;
    long long nulls = 0;
    bool any = false;
    Number least;
    Number greatest;

    static int Compare(const Number& a, const Number& b);
    static double Read(const Number& number);
};

// The number the program's SQL reads from a value (its number function): a
// number as it is, a text or blob as the number it holds, else 0. False for NULL.
bool SqlNumberOf(const StoredValue& value, long long& whole, double& real, bool& integer);
