#pragma once

#include <string>

#include "support/MonthDatabase.h"

namespace vesk::test {

/// Five months of a small division, each worked out by hand (see the tests): an office that
/// differs in one month only, a month with ORV rows and no bank rows, a month held only by a
/// bank row's value date, a month whose only difference is within the tolerance, a head office
/// with offices under it and offices under another.
inline void fillTrendDatabase(MonthDatabase& db) {
    db.office("1", "Hill Division", "PDN", "", "F1");
    db.office("2", "Hill HO", "HPO", "Hill HO", "F2");
    db.office("10", "Alpha SO", "SO", "Hill HO", "F10");
    db.office("11", "Beta SO", "SO", "Lake HO", "F11");
    db.office("12", "delta SO", "SO", "Hill HO", "F12");
    db.office("13", "Gamma SO", "SO", "Lake HO", "F13");
    db.configure("Hill Division");

    // February: Alpha agrees, Beta's withdrawals are 10 more than its payments, Gamma's deposit
    // has no receipt.
    db.deposit("F10", "03/02/2025", "100");
    db.orv("10", "03/02/2025", "Receipt", "100");
    db.withdrawal("f11", "10/02/2025", "50");  // the facility's letter case differs from the master's
    db.orv("11", "10/02/2025", "Payment", "40");
    db.deposit("F13", "11/02/2025", "5");
    // March: ORV entries only.
    db.orv("10", "05/03/2025", "Receipt", "30");
    // April: Alpha differs both ways, Beta has no ORV rows, Gamma agrees, delta differs.
    db.deposit("F10", "02/04/2025", "200.50");
    db.bank("F10", "01/05/2025", "30/04/2025", "DEPOSIT", "25");  // value-dated in May, compared in April
    db.orv("10", "30/04/2025", "receipt", "25");
    db.orv("10", "02/04/2025", "Receipt", "200");
    db.withdrawal("F10", "03/04/2025", "70");
    db.orv("10", "03/04/2025", "P", "75");
    db.deposit("F11", "04/04/2025", "10");
    db.deposit("F13", "05/04/2025", "1,250.00");
    db.orv("13", "05/04/2025", "Receipt", "1250");
    db.withdrawal("F12", "06/04/2025", "3");
    db.deposit("F99", "07/04/2025", "777");  // no office has this facility
    // July: Gamma within the tolerance, delta agrees.
    db.deposit("F13", "07/07/2025", "0.01");
    db.deposit("F12", "08/07/2025", "20");
    db.orv("12", "08/07/2025", "Receipt", "20");
}

}  // namespace vesk::test
