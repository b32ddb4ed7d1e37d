#pragma once
// A comparison into a real store below a temporary folder, and the stored
// rows read back in their order.
#include "compare/CmprEngine.h"
#include "compare/ResultStore.h"
#include "compare/StoreSink.h"
#include "support/Printers.h"
#include "support/TestDir.h"

#include <gtest/gtest.h>
#include <vector>

inline const QDateTime T0(QDate(2007, 3, 5), QTime(9, 41, 59));

struct Row {
    qint64 nNo;
    QString sPh, sFL, sU1, sU2, sED;
    qint64 nS1, nS2;
};

class Engine : public ::testing::Test {
protected:
    TestDir dir;
    ResultStore store{dir.path("Cmpr.mdb")};
    CmprEngine engine;

    QString one() { return dir.path("one"); }
    QString two() { return dir.path("two"); }
    void file(const QString& rel, const QByteArray& data = "x", const QDateTime& t = T0)
    {
        dir.createFile(rel, data, t);
    }

    CmprCounts run(const QString& a, const QString& b)
    {
        store.OpnDb();
        StoreSink sink(store.Db());
        CmprCounts c = engine.Compare(a, b, sink);
        store.ClsDb();
        return c;
    }
    std::vector<Row> rows()
    {
        store.OpnDb();
        std::vector<Row> out;
        {
            SqlStmt st = store.Db().Prepare("Select nNo, sPh, sFL, sU1, sU2, sED, nS1, nS2 From tbCmpr Order By nNo");
            while (st.Step())
                out.push_back(
                    {st.Int(0), st.Text(1), st.Text(2), st.Text(3), st.Text(4), st.Text(5), st.Int(6), st.Int(7)});
        }
        store.ClsDb();
        return out;
    }
};
