#include "sample/SampleData.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <tuple>

#include "core/Amount.h"
#include "core/Error.h"
#include "sample/Random.h"
#include "sample/SampleWording.h"

namespace vesk::sample {

namespace {

const std::vector<std::string> kStems = {
    "Kankanady",   "Bejai",       "Hampankatta",  "Kodialbail", "Bunder",    "Urwa",       "Kadri",      "Attavar",
    "Jeppu",       "Bolar",       "Pandeshwar",   "Falnir",     "Balmatta",  "Kulur",      "Panambur",   "Surathkal",
    "Mulki",       "Kinnigoli",   "Bajpe",        "Kateel",     "Moodbidri", "Bantwal",    "Vittal",     "Uppinangady",
    "Belthangady", "Ujire",       "Dharmasthala", "Sullia",     "Kadaba",    "Ullal",      "Thokottu",   "Konaje",
    "Mudipu",      "Deralakatte", "Kotekar",      "Someshwar",  "Talapady",  "Manjeshwar", "Uppala",     "Kumbla",
    "Brahmavar",   "Kundapura",   "Byndoor",      "Karkala",    "Hebri",     "Padubidri",  "Kaup",       "Shirva",
    "Katapadi",    "Malpe",       "Santhekatte",  "Kemmannu",   "Hiriadka",  "Perdoor",    "Hosanagara", "Thirthahalli",
    "Ganjimutt",   "Kaikamba",    "Gurupura",     "Polali"};
const std::vector<std::string> kQualifiers = {"East", "West", "North", "South", "Bazar", "Extension", "Colony"};
const std::vector<std::string> kDivisions = {"Mangaluru", "Udupi", "Puttur", "Karwar", "Shivamogga", "Chikkamagaluru"};
// Names with an apostrophe are always present: they break naively quoted statements.
const std::vector<std::string> kFixedSubOffices = {"St. Mary's Road S.O", "D'Souza Nagar S.O"};

const std::vector<std::string> kFirstNames = {"Ramesh", "Suresh",  "Anitha", "Kavya",   "Mohammed", "Fathima", "Joseph",
                                              "Mary",   "Prakash", "Shobha", "Ganesh",  "Lakshmi",  "Rahul",   "Deepa",
                                              "Abdul",  "Ayesha",  "Vinay",  "Sunitha", "Krishna",  "Radha"};
const std::vector<std::string> kSurnames = {"Shetty", "Rao",     "Bhat",    "Kamath",  "Pai",       "Hegde", "Poojary",
                                            "Nayak",  "D'Souza", "D'Cruz",  "D'Mello", "Fernandes", "Pinto", "Saldanha",
                                            "Kumar",  "Khan",    "O'Brien", "Acharya", "D'Sa",      "Prabhu"};
const std::vector<std::string> kRemarks = {"", "", "", "", "", "", "Counter 1", "Counter 2", "Agent", "Self", "Bulk"};

const std::array<const char*, kOfficeColumns> kOfficeHeaders = {
    "office_id",        "office_name",     "office_type_code",
    "ho_name",          "qal_facility_id", "pincode",
    "circle_name",      "circle_code",     "region_name",
    "region_code",      "division_name",   "division_code",
    "district",         "state",           "taluk",
    "village",          "phone",           "email",
    "office_status",    "delivery_status", "office_class",
    "office_level",     "so_name",         "ho_office_id",
    "facility_type",    "profit_centre",   "cost_centre",
    "business_area",    "treasury_code",   "bank_account_no",
    "ifsc_code",        "opening_date",    "address_line1",
    "address_line2",    "latitude",        "longitude",
    "working_hours",    "weekly_off",      "postmaster_name",
    "postmaster_phone", "attribute_01",    "attribute_02",
    "attribute_03",     "attribute_04",    "attribute_05",
    "attribute_06",     "attribute_07",    "attribute_08",
    "attribute_09",     "attribute_10",    "attribute_11",
    "attribute_12",     "attribute_13",    "attribute_14",
    "attribute_15",     "attribute_16",    "attribute_17",
    "attribute_18",     "attribute_19",    "attribute_20",
    "attribute_21",     "attribute_22",    "attribute_23",
    "attribute_24",     "attribute_25",    "attribute_26",
    "attribute_27",     "attribute_28",    "attribute_29",
    "attribute_30",     "attribute_31",    "attribute_32",
    "attribute_33",     "attribute_34",    "attribute_35",
    "attribute_36",     "attribute_37",    "attribute_38",
    "attribute_39",     "attribute_40",    "attribute_41",
    "attribute_42",     "attribute_43"};

const std::array<const char*, kCtrColumns> kCtrHeaders = {
    "TRAN_ID",    "VALUE_DATE",   "TRAN_DATE",        "CASH_TRAN_TYPE", "TRAN_AMT", "FACILITY_ID",
    "ACCOUNT_NO", "ACCOUNT_NAME", "TRAN_PARTICULARS", "BRANCH_CODE",    "REMARKS"};

const std::array<const char*, kOrvColumns> kOrvHeaders = {
    "treasury_tran_id", "try_posting_date", "office_id",       "office_name",   "account_code", "receipt_or_payment",
    "tot_amount",       "payment_mode",     "credit_or_debit", "division_name", "ho_name",      "voucher_no",
    "narration",        "entry_date",       "created_by",      "approved_by",   "status",       "currency",
    "financial_year",   "module_name",      "reference_no",    "remarks"};

std::string digits(Random& rng, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += char('0' + rng.between(0, 9));
    return out;
}

std::string twoDigits(int v) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d", v % 100);
    return b;
}

// The three ways the bank's report has been seen to write a transaction's time.
std::string tranDateText(const DateTime& d, Random& rng) {
    char b[32];
    int style = rng.between(0, 19);
    if (style < 14)
        std::snprintf(b, sizeof b, "%02d-%02d-%04d %02d:%02d:%02d", d.day, d.month, d.year, d.hour, d.minute, d.second);
    else if (style < 19)
        std::snprintf(b, sizeof b, "%02d/%02d/%04d %02d:%02d:%02d", d.day, d.month, d.year, d.hour, d.minute, d.second);
    else
        return isoDateTime(d);
    return b;
}

// Most cash is in round hundreds; some carries paise.
std::int64_t randomPaise(Random& rng) {
    std::int64_t rupees = rng.chance(70) ? rng.between(std::int64_t(1), std::int64_t(500)) * 100
                                         : rng.between(std::int64_t(100), std::int64_t(49999));
    std::int64_t paise = rng.chance(25) ? rng.between(std::int64_t(1), std::int64_t(99)) : 0;
    return rupees * 100 + paise;
}

// A stable sort that moves each (large) row once instead of at every step.
template <class T, class Key>
void sortRows(std::vector<T>& rows, Key key) {
    std::vector<std::size_t> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return key(rows[a]) < key(rows[b]); });
    std::vector<T> sorted;
    sorted.reserve(rows.size());
    for (std::size_t i : order) sorted.push_back(std::move(rows[i]));
    rows = std::move(sorted);
}

std::string officeName(int index) {
    const int stems = int(kStems.size());
    const int qualifiers = int(kQualifiers.size());
    std::string stem = kStems[std::size_t(index % stems)];
    int round = index / stems;
    if (round == 0) return stem;
    if (round <= qualifiers) return stem + " " + kQualifiers[std::size_t(round - 1)];
    return stem + " " + std::to_string(round - qualifiers + 1);
}

struct Builder {
    const SampleOptions& options;
    Random rng;
    SampleData data;
    std::vector<int> headOffices;  // indexes into data.offices
    std::vector<int> subOffices;

    std::vector<std::size_t> singleEntries;  // ORV entries that book one bank row each
    // Draws for what a real month holds besides, apart from the main sequence, so the
    // month's other rows stay as they were.
    Random plantRng;

    explicit Builder(const SampleOptions& o)
        : options(o),
          rng(o.seed ^ 0x5EED0F0F1CE5ull),
          plantRng(o.seed ^ 0x9A1E57ull ^ std::uint64_t(o.year * 100 + o.month) * 0x100000001B3ull) {
        data.options = o;
    }

    // Runs a draw of the main helpers on the plants' generator.
    template <class F>
    auto plantDraw(F f) {
        std::swap(rng, plantRng);
        auto result = f();
        std::swap(rng, plantRng);
        return result;
    }

    // Sub-offices free of the planted differences, the same every month.
    std::vector<int> plainOffices() const {
        const Planted& p = data.planted;
        std::vector<int> out;
        for (int i : subOffices) {
            const std::string& n = data.offices[std::size_t(i)].name;
            if (n != p.missingEntryOffice && n != p.amountOffOffice && n != p.bankOnlyOffice && n != p.orvOnlyOffice)
                out.push_back(i);
        }
        return out;
    }

    // The office and amount of the deposit a month carries into the next: a function of
    // the seed and the month alone, so both months agree on it.
    struct Carry {
        int office;
        std::int64_t paise;
    };
    std::optional<Carry> carryOf(int year, int month) const {
        const std::vector<int> plain = plainOffices();
        if (plain.empty()) return std::nullopt;
        Random r(options.seed ^ 0xCA7797ull ^ std::uint64_t(year * 100 + month) * 0x9E3779B97F4A7C15ull);
        const int office = plain[std::size_t(r.between(0, int(plain.size()) - 1))];
        return Carry{office, randomPaise(r)};
    }

    DateTime randomMoment() {
        DateTime d;
        d.year = options.year;
        d.month = options.month;
        d.day = rng.between(1, daysInMonth(options.year, options.month));
        d.hour = rng.between(9, 17);
        d.minute = rng.between(0, 59);
        d.second = rng.between(0, 59);
        return d;
    }

    void makeOffices() {
        const int n = options.offices;
        const int heads = std::max(1, n / 12);
        std::vector<int> nameOrder(std::size_t(n + 8));
        for (std::size_t i = 0; i < nameOrder.size(); ++i) nameOrder[i] = int(i);
        rng.shuffle(nameOrder);
        const std::string division = rng.pick(kDivisions);
        const int idBase = 21000000 + rng.between(0, 9999) * 100;
        const std::int64_t facilityBase = 29100000000LL + rng.between(std::int64_t(0), std::int64_t(99999)) * 1000;

        for (int i = 0; i < n; ++i) {
            Office o;
            o.officeId = std::to_string(idBase + i * 37 + 11);
            o.facilityId = "PO" + std::to_string(facilityBase + i * 53 + 7);
            if (i == 0) {
                o.name = division + " Division";
                o.typeCode = "PDN";
                data.divisionOffice = o.name;
            } else if (i <= heads) {
                o.name = officeName(nameOrder[std::size_t(i)]) + " H.O";
                // Head office codes as found in real exports: not always clean.
                o.typeCode = i == 2 ? " hpo " : i == 3 ? "Hpo" : "HPO";
                o.hoName = o.name;
                headOffices.push_back(i);
            } else {
                int sub = i - heads - 1;
                bool branch = sub >= 2 && rng.chance(30);
                if (sub < int(kFixedSubOffices.size()))
                    o.name = kFixedSubOffices[std::size_t(sub)];
                else
                    o.name = officeName(nameOrder[std::size_t(i)]) + (branch ? " B.O" : " S.O");
                o.typeCode = branch ? (rng.chance(10) ? " BO" : "BO") : (rng.chance(10) ? "so " : "SO");
                o.hoName = data.offices[std::size_t(rng.pick(headOffices))].name;
                subOffices.push_back(i);
            }
            fillOtherColumns(o, division, i);
            data.offices.push_back(std::move(o));
        }
    }

    void fillOtherColumns(Office& o, const std::string& division, int index) {
        const std::string type = upperTrim(o.typeCode);
        std::string stem = o.name.substr(0, o.name.find(' '));
        o.others.assign(std::size_t(kOfficeColumns - 5), "");
        auto set = [&](const char* header, std::string value) {
            for (std::size_t c = 5; c < kOfficeHeaders.size(); ++c)
                if (std::string(kOfficeHeaders[c]) == header) o.others[c - 5] = std::move(value);
        };
        set("pincode", "575" + digits(rng, 3));
        set("circle_name", "Karnataka");
        set("circle_code", "KA");
        set("region_name", "South Karnataka Region");
        set("region_code", "SKR");
        set("division_name", division);
        set("division_code", division.substr(0, 3));
        set("district", "Dakshina Kannada");
        set("state", "KARNATAKA");
        set("taluk", stem);
        set("village", stem);
        set("phone", "0824-2" + digits(rng, 6));
        set("email", "office" + o.officeId + "@dop.example");
        set("office_status", "Active");
        set("delivery_status", type == "BO" || type == "HPO" ? "Delivery" : "Non-Delivery");
        set("office_class", type == "PDN" ? "" : rng.chance(50) ? "Class A" : "Class B");
        set("office_level", type == "PDN"   ? "Division"
                            : type == "HPO" ? "Head Office"
                            : type == "BO"  ? "Branch Office"
                                            : "Sub Office");
        set("so_name", type == "BO" ? o.hoName : "");
        set("facility_type", "POST_OFFICE");
        set("profit_centre", "P" + digits(rng, 7));
        set("cost_centre", "C" + digits(rng, 7));
        set("business_area", "KA" + twoDigits(index % 100));
        set("treasury_code", "T" + digits(rng, 5));
        set("bank_account_no", digits(rng, 11));
        set("ifsc_code", "VESK0" + digits(rng, 6));
        set("opening_date", twoDigits(rng.between(1, 28)) + "-" + twoDigits(rng.between(1, 12)) + "-" +
                                std::to_string(rng.between(1950, 2015)));
        set("address_line1", "Main Road, " + stem);
        set("address_line2", rng.chance(40) ? "Near Bus Stand" : "");
        set("latitude", "12.8" + digits(rng, 4));
        set("longitude", "74.8" + digits(rng, 4));
        set("working_hours", "09:00-17:00");
        set("weekly_off", "Sunday");
        set("postmaster_name", rng.pick(kFirstNames) + " " + rng.pick(kSurnames));
        set("postmaster_phone", "9" + digits(rng, 9));
        set("attribute_01", rng.chance(50) ? "Y" : "N");
    }

    static std::string upperTrim(const std::string& s) {
        std::string out;
        for (char c : s)
            if (c != ' ') out += char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        return out;
    }

    BankRow bankRow(const Office& office, bool deposit) {
        BankRow r;
        r.tranDate = randomMoment();
        r.valueDate = DateTime{r.tranDate.year, r.tranDate.month, r.tranDate.day, 0, 0, 0};
        r.tranDateText = tranDateText(r.tranDate, rng);
        r.deposit = deposit;
        r.paise = randomPaise(rng);
        r.amountAsText = r.paise >= 100000 && rng.chance(3);
        r.facilityId = office.facilityId;
        r.accountNo = "3" + digits(rng, 11);
        r.accountName = rng.pick(kFirstNames) + " " + rng.pick(kSurnames);
        r.particulars =
            deposit ? (rng.chance(50) ? "BY CASH" : "CASH DEPOSIT") : (rng.chance(50) ? "TO SELF" : "CASH WITHDRAWAL");
        r.branchCode = "VK" + office.officeId.substr(office.officeId.size() - 4);
        r.remarks = rng.pick(kRemarks);
        return r;
    }

    void pickPlantedOffices() {
        std::vector<int> candidates = subOffices;
        rng.shuffle(candidates);
        auto name = [&](int k) { return data.offices[std::size_t(candidates[std::size_t(k)])].name; };
        data.planted.missingEntryOffice = name(0);
        data.planted.amountOffOffice = name(1);
        data.planted.bankOnlyOffice = name(2);
        data.planted.orvOnlyOffice = name(3);
    }

    void makeBankRows() {
        std::vector<const Office*> active;
        std::vector<const Office*> weighted;  // head offices handle more cash than branches
        for (std::size_t i = 1; i < data.offices.size(); ++i) {
            const Office& o = data.offices[i];
            if (o.name == data.planted.orvOnlyOffice) continue;
            active.push_back(&o);
            std::string type = upperTrim(o.typeCode);
            int weight = type == "HPO" ? 4 : type == "SO" ? 2 : 1;
            for (int w = 0; w < weight; ++w) weighted.push_back(&o);
        }
        data.bankRows.reserve(std::size_t(options.rows));
        for (const Office* o : active) {
            data.bankRows.push_back(bankRow(*o, true));
            data.bankRows.push_back(bankRow(*o, false));
        }
        const int rest = options.rows - int(data.bankRows.size()) - 1;
        for (int i = 0; i < rest; ++i) data.bankRows.push_back(bankRow(*rng.pick(weighted), rng.chance(60)));

        std::set<std::string> facilities;
        for (const Office& o : data.offices) facilities.insert(o.facilityId);
        Office stranger;
        do {
            stranger.facilityId = "PO" + digits(rng, 11);
        } while (facilities.count(stranger.facilityId));
        stranger.officeId = "00000000";
        data.planted.unknownFacilityId = stranger.facilityId;
        data.bankRows.push_back(bankRow(stranger, true));

        carryOut();

        sortRows(data.bankRows, [](const BankRow& b) { return b.tranDate; });
        const std::int64_t first = 10000000 + rng.between(std::int64_t(0), std::int64_t(80000000));
        for (std::size_t i = 0; i < data.bankRows.size(); ++i)
            data.bankRows[i].tranId = "S" + std::to_string(first + std::int64_t(i));
    }

    // One of the office's deposits becomes a late deposit of the month's last day.
    void carryOut() {
        const std::optional<Carry> carry = carryOf(options.year, options.month);
        if (!carry) return;
        const Office& office = data.offices[std::size_t(carry->office)];
        for (BankRow& b : data.bankRows) {
            if (b.facilityId != office.facilityId || !b.deposit) continue;
            const int last = daysInMonth(options.year, options.month);
            b.tranDate = DateTime{options.year, options.month, last, 16, 45, plantRng.between(0, 59)};
            b.valueDate = DateTime{options.year, options.month, last, 0, 0, 0};
            b.tranDateText = tranDateText(b.tranDate, plantRng);
            b.paise = carry->paise;
            b.amountAsText = false;
            b.bookedNextMonth = true;
            data.planted.carriedOutOffice = office.name;
            return;
        }
    }

    OrvRow orvRow(const Office& o, const DateTime& day, bool receipt, std::int64_t paise,
                  const std::string& reference) {
        OrvRow r;
        r.postingDate = day;
        r.officeId = o.officeId;
        r.officeName = o.name;
        r.receipt = receipt;
        r.paise = paise;
        r.divisionName = data.offices.front().name;
        r.hoName = o.hoName;
        r.voucherNo = "V" + digits(rng, 6);
        r.narration = std::string(receipt ? "VESK Deposit - " : "VESK Withdrawal - ") + o.name;
        r.createdBy = "PA" + digits(rng, 4);
        r.referenceNo = reference;
        return r;
    }

    void makeOrvRows() {
        std::map<std::string, const Office*> byFacility;
        for (const Office& o : data.offices) byFacility[o.facilityId] = &o;

        // Each office's day of one kind, in time order; ORV books it in one or a few entries.
        std::map<std::tuple<DateTime, std::string, bool>, std::vector<const BankRow*>> days;
        for (const BankRow& b : data.bankRows) {
            auto found = byFacility.find(b.facilityId);
            if (found == byFacility.end() || found->second->name == data.planted.bankOnlyOffice || b.bookedNextMonth)
                continue;
            days[{b.valueDate, found->second->officeId, b.deposit}].push_back(&b);
        }
        std::map<std::string, const Office*> byId;
        for (const Office& o : data.offices) byId[o.officeId] = &o;
        data.orvRows.reserve(data.bankRows.size());
        for (auto& [key, rows] : days) {
            const Office& office = *byId[std::get<1>(key)];
            for (std::size_t i = 0; i < rows.size();) {
                std::size_t take = std::min(rows.size() - i, std::size_t(rng.chance(25) ? 2 : 1));
                std::int64_t paise = 0;
                for (std::size_t k = 0; k < take; ++k) paise += rows[i + k]->paise;
                if (take == 1) singleEntries.push_back(data.orvRows.size());
                data.orvRows.push_back(orvRow(office, std::get<0>(key), std::get<2>(key), paise, rows[i]->tranId));
                i += take;
            }
        }
        plantBookingHabits();
        plantOrvDifferences();

        const Office* orvOnly = nullptr;
        for (const Office& o : data.offices)
            if (o.name == data.planted.orvOnlyOffice) orvOnly = &o;
        int entries = rng.between(3, 6);
        for (int i = 0; i < entries; ++i) {
            DateTime m = randomMoment();
            DateTime day{m.year, m.month, m.day, 0, 0, 0};
            bool receipt = i == 0 || (i > 1 && rng.chance(50));
            data.orvRows.push_back(orvRow(*orvOnly, day, receipt, randomPaise(rng), "MANUAL-" + std::to_string(i + 1)));
        }

        sortRows(data.orvRows, [](const OrvRow& r) { return r.postingDate; });
        const std::string prefix = twoDigits(options.year % 100) + twoDigits(options.month);
        const std::int64_t first = 1000000 + rng.between(std::int64_t(0), std::int64_t(8000000));
        for (std::size_t i = 0; i < data.orvRows.size(); ++i)
            data.orvRows[i].treasuryTranId = prefix + std::to_string(first + std::int64_t(i));
    }

    std::vector<std::size_t> entriesOf(const std::string& office) {
        std::vector<std::size_t> out;
        for (std::size_t i = 0; i < data.orvRows.size(); ++i)
            if (data.orvRows[i].officeName == office) out.push_back(i);
        return out;
    }

    // Single entries of the plain offices, in a shuffled order of the plants' own.
    std::vector<std::size_t> plainEntries(const std::set<std::string>& avoid) {
        std::set<std::string> plain;
        for (int i : plainOffices()) plain.insert(data.offices[std::size_t(i)].name);
        std::vector<std::size_t> out;
        for (std::size_t i : singleEntries) {
            const std::string& name = data.orvRows[i].officeName;
            if (plain.count(name) && !avoid.count(name)) out.push_back(i);
        }
        plantRng.shuffle(out);
        return out;
    }

    // Late bookings, a duplicate, a deposit booked as two receipts, and the receipt of the
    // deposit the previous month carried over its end.
    void plantBookingHabits() {
        Planted& p = data.planted;
        const int pm = options.month == 1 ? 12 : options.month - 1;
        const int py = options.month == 1 ? options.year - 1 : options.year;
        const std::optional<Carry> carriedIn = carryOf(py, pm);
        // Each habit gets an office of its own, so a test can tell what made an office differ;
        // the late bookings come last, as a small division runs out of offices.
        std::set<std::string> used = {p.carriedOutOffice};
        if (carriedIn) used.insert(data.offices[std::size_t(carriedIn->office)].name);
        const int last = daysInMonth(options.year, options.month);
        const auto take = [&](const std::vector<std::size_t>& entries, auto fits) -> std::optional<std::size_t> {
            for (std::size_t i : entries)
                if (!used.count(data.orvRows[i].officeName) && fits(data.orvRows[i])) {
                    used.insert(data.orvRows[i].officeName);
                    return i;
                }
            return std::nullopt;
        };
        const std::vector<std::size_t> entries = plainEntries({});
        if (auto twice = take(entries, [](const OrvRow& r) { return r.receipt; })) {
            OrvRow copy = data.orvRows[*twice];
            p.duplicateOffice = copy.officeName;
            data.orvRows.push_back(std::move(copy));
        }
        if (auto split = take(entries, [](const OrvRow& r) { return r.receipt && r.paise >= 300; })) {
            OrvRow part = data.orvRows[*split];
            part.paise = data.orvRows[*split].paise / 3 / 100 * 100;
            data.orvRows[*split].paise -= part.paise;
            part.voucherNo = plantDraw([&] { return "V" + digits(rng, 6); });
            p.splitOffice = part.officeName;
            data.orvRows.push_back(std::move(part));
        }
        for (int n = 0; n < 3; ++n) {
            const int days = plantRng.between(1, 3);
            auto late = take(entries, [&](const OrvRow& r) { return r.postingDate.day + days <= last; });
            if (!late) break;
            data.orvRows[*late].postingDate.day += days;
            p.lateOffices.push_back(data.orvRows[*late].officeName);
        }
        if (carriedIn) {
            const Office& office = data.offices[std::size_t(carriedIn->office)];
            const DateTime first{options.year, options.month, 1, 0, 0, 0};
            data.orvRows.push_back(plantDraw([&] { return orvRow(office, first, true, carriedIn->paise, "CARRIED"); }));
            p.carriedInOffice = office.name;
        }
        plantHintedRows(entries, take);
    }

    // Amounts with paise or odd rupees, so no other row of the month shares them by chance.
    static bool unusual(std::int64_t paise) { return paise % 10000 != 0; }

    // The amount with the first two different neighbouring digits of its rupees swapped;
    // none when every digit is the same.
    static std::optional<std::int64_t> swappedDigits(std::int64_t paise) {
        std::string rupees = std::to_string(paise / 100);
        for (std::size_t i = 0; i + 1 < rupees.size(); ++i)
            if (rupees[i] != rupees[i + 1] && (i > 0 || rupees[i + 1] != '0')) {
                std::swap(rupees[i], rupees[i + 1]);
                return std::stoll(rupees) * 100 + paise % 100;
            }
        return std::nullopt;
    }

    // Rows the rules leave unpaired though a person would find their counterpart: a receipt
    // a week late, one booked under another office, one keyed with digits swapped or the
    // decimal point slipped, and a deposit that two sets of receipts add up to.
    template <class Take>
    void plantHintedRows(const std::vector<std::size_t>& entries, const Take& take) {
        Planted& p = data.planted;
        const int last = daysInMonth(options.year, options.month);
        const int days = plantRng.between(5, 10);
        if (auto late = take(entries, [&](const OrvRow& r) {
                return r.receipt && unusual(r.paise) && r.postingDate.day + days <= last;
            })) {
            data.orvRows[*late].postingDate.day += days;
            p.farLateOffice = data.orvRows[*late].officeName;
        }
        if (auto moved = take(entries, [](const OrvRow& r) { return r.receipt && unusual(r.paise); })) {
            const std::string from = data.orvRows[*moved].officeName;
            if (auto host = take(entries, [](const OrvRow&) { return true; })) {
                const OrvRow& other = data.orvRows[*host];
                OrvRow& r = data.orvRows[*moved];
                r.officeId = other.officeId;
                r.officeName = other.officeName;
                r.hoName = other.hoName;
                r.narration = "VESK Deposit - " + other.officeName;
                p.wrongOfficeFrom = from;
                p.wrongOfficeTo = other.officeName;
            }
        }
        if (auto swapped = take(
                entries, [](const OrvRow& r) { return r.receipt && unusual(r.paise) && swappedDigits(r.paise); })) {
            data.orvRows[*swapped].paise = *swappedDigits(data.orvRows[*swapped].paise);
            p.swappedDigitsOffice = data.orvRows[*swapped].officeName;
        }
        if (auto slipped = take(entries, [](const OrvRow& r) { return r.receipt && unusual(r.paise); })) {
            std::int64_t& paise = data.orvRows[*slipped].paise;
            paise = paise % 10 == 0 ? paise / 10 : paise * 10;
            p.slippedPointOffice = data.orvRows[*slipped].officeName;
        }
        if (auto sets =
                take(entries, [](const OrvRow& r) { return r.receipt && r.paise >= 100000 && unusual(r.paise); })) {
            // Booked as a third and the rest, then again as a quarter and the rest.
            const std::int64_t whole = data.orvRows[*sets].paise;
            const std::int64_t third = whole / 3 / 100 * 100, quarter = whole / 4 / 100 * 100;
            data.orvRows[*sets].paise = whole - third;
            for (std::int64_t part : {third, quarter, whole - quarter}) {
                OrvRow copy = data.orvRows[*sets];
                copy.paise = part;
                copy.voucherNo = plantDraw([&] { return "V" + digits(rng, 6); });
                data.orvRows.push_back(std::move(copy));
            }
            p.twoSetsOffice = data.orvRows[*sets].officeName;
        }
    }

    void plantOrvDifferences() {
        Planted& p = data.planted;
        // An entry of one bank row, so the explanation meets a pair whose amounts differ.
        auto off = entriesOf(p.amountOffOffice);
        std::vector<std::size_t> single;
        const std::set<std::size_t> singles(singleEntries.begin(), singleEntries.end());
        for (std::size_t i : off)
            if (singles.count(i)) single.push_back(i);
        if (!single.empty()) off = std::move(single);
        OrvRow& changed = data.orvRows[off[std::size_t(rng.between(0, int(off.size()) - 1))]];
        std::int64_t delta = rng.between(std::int64_t(1), std::int64_t(9)) * 100;
        if (rng.chance(50) && changed.paise > delta) delta = -delta;
        changed.paise += delta;
        p.amountOffDate = changed.postingDate;
        p.amountOffReceipt = changed.receipt;
        p.amountOffPaise = -delta;

        auto missing = entriesOf(p.missingEntryOffice);
        std::size_t gone = missing[std::size_t(rng.between(0, int(missing.size()) - 1))];
        p.missingEntryDate = data.orvRows[gone].postingDate;
        p.missingEntryReceipt = data.orvRows[gone].receipt;
        p.missingEntryPaise = data.orvRows[gone].paise;
        data.orvRows.erase(data.orvRows.begin() + std::ptrdiff_t(gone));
    }
};

}  // namespace

const std::array<const char*, kOfficeColumns>& officeHeaders() { return kOfficeHeaders; }
const std::array<const char*, kCtrColumns>& ctrHeaders() { return kCtrHeaders; }
const std::array<const char*, kOrvColumns>& orvHeaders() { return kOrvHeaders; }

SampleData generateSample(const SampleOptions& options) {
    constexpr int kMostOffices = 5000, kMostRows = 1000000;
    if (options.offices < 6) throw Error(errc::kUsage, kTooFewOfficesText);
    if (options.offices > kMostOffices) throw Error(errc::kUsage, tooManyOfficesText(kMostOffices));
    if (options.rows < 2 * options.offices) throw Error(errc::kUsage, tooFewRowsText(options.offices));
    if (options.rows > kMostRows) throw Error(errc::kUsage, tooManyRowsText(kMostRows));
    if (options.year < 1900 || options.year > 9999 || options.month < 1 || options.month > 12)
        throw Error(errc::kUsage, invalidMonthText(options.year, options.month));
    Builder b(options);
    b.makeOffices();
    b.pickPlantedOffices();
    b.makeBankRows();
    b.makeOrvRows();
    return std::move(b.data);
}

std::vector<OfficeDifference> expectedDifferences(const SampleData& data) {
    struct Totals {
        bool hasBankRows = false;
        std::int64_t bank[2] = {0, 0};  // deposit, withdrawal
        std::int64_t orv[2] = {0, 0};   // receipt, payment
    };
    std::map<std::string, const Office*> byFacility, byId;
    for (const Office& o : data.offices) {
        byFacility[o.facilityId] = &o;
        byId[o.officeId] = &o;
    }
    std::map<const Office*, Totals> totals;
    for (const BankRow& b : data.bankRows) {
        auto found = byFacility.find(b.facilityId);
        if (found == byFacility.end()) continue;
        Totals& t = totals[found->second];
        t.hasBankRows = true;
        t.bank[b.deposit ? 0 : 1] += b.paise;
    }
    for (const OrvRow& r : data.orvRows) {
        auto found = byId.find(r.officeId);
        if (found != byId.end()) totals[found->second].orv[r.receipt ? 0 : 1] += r.paise;
    }
    std::vector<OfficeDifference> out;
    for (const auto& [office, t] : totals) {
        if (!t.hasBankRows) continue;
        OfficeDifference d{office->name, t.bank[0] - t.orv[0], t.bank[1] - t.orv[1]};
        if (std::abs(d.depositPaise) > 1 || std::abs(d.withdrawalPaise) > 1) out.push_back(d);
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.officeName < b.officeName; });
    return out;
}

double rupees(std::int64_t paise) { return static_cast<double>(paise) / 100.0; }

std::string groupedAmount(std::int64_t paise) { return formatAmount(rupees(paise), Grouping::Thousands); }

}  // namespace vesk::sample
