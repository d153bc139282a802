#include "sample_data.h"

#include "platform/codec.h"
#include "platform/firebird/firebird.h"
#include "platform/ini_file.h"
#include "platform/plain_text.h"
#include "platform/registry.h"
#include "platform/share_roots.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
namespace fb = platform::firebird;

namespace sample {

namespace {

// The system and file-manager scripts declare the routines of the project's
// UDR plug-in, so the engine that builds them must find it: the build keeps
// it in a Firebird root of its own, used unless FIREBIRD names another.
// Set before the client library's first use, at program start.
const bool kFirebirdRootChosen = [] {
    ::setenv("FIREBIRD", SAMPLE_FIREBIRD_ROOT, 0);
    return true;
}();

// Names as the application information defaults give them.
const char* const kHomeDir = "brimto/rozivoraduz";
const char* const kAppName = "tnzaimu";
const char* const kSystemFile = "tnaccdef.fdb";
const char* const kCompanyFile = "tnacc.fdb";
const char* const kFileManFile = "tnfileman.fdb";
const char* const kDataIniFile = "tnacc.ini";
const char* const kProductKey = "SOFTWARE\\BRIMTO\\ROZIVORADUZ13";
const char* const kProductTitle = "トルバン財務";
const char* const kProductVersion = "13.0.0";
const int kDataListCnt = 120;
const char* const kShareDir = "rozivoraduz";
const char kShareLetter = 'S';
const char* const kSharedSuffix = "（共有）";

std::string upperWord(const std::string& s, std::size_t& pos)
{
    while (pos < s.size() && std::isspace(static_cast<unsigned char>(s[pos])))
        ++pos;
    const std::size_t start = pos;
    while (pos < s.size() && !std::isspace(static_cast<unsigned char>(s[pos])))
        ++pos;
    return platform::text::upperAscii(s.substr(start, pos - start));
}

// The statement without leading comments and blanks.
std::string stripLeading(const std::string& s)
{
    std::size_t i = 0;
    for (;;) {
        while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
            ++i;
        if (s.compare(i, 2, "--") == 0) {
            i = s.find('\n', i);
            if (i == std::string::npos)
                return {};
        } else if (s.compare(i, 2, "/*") == 0) {
            i = s.find("*/", i + 2);
            if (i == std::string::npos)
                return {};
            i += 2;
        } else {
            break;
        }
    }
    std::string out = s.substr(i);
    while (!out.empty() && std::isspace(static_cast<unsigned char>(out.back())))
        out.pop_back();
    return out;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("sample: cannot open " + path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string twoDigits(int v)
{
    char b[8];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

std::string dateText(const fb::Date& d)
{
    if (!d.ok())
        return {};
    char b[16];
    std::snprintf(b, sizeof b, "%04d/%02u/%02u", static_cast<int>(d.year()), static_cast<unsigned>(d.month()),
        static_cast<unsigned>(d.day()));
    return b;
}

void configure(fb::Database& db, const std::string& name, const SampleOptions& o)
{
    configureConnection(db, name, o.dbUser, o.dbPassword);
}

std::string databaseName(const std::string& path, const SampleOptions& o)
{
    return o.host.empty() ? path : o.host + ":" + path;
}

// Facts of a company database that the data list and its ini file repeat.
struct CompanyFacts {
    std::string entText, code, shougou, kana;
    int dataType = 0, codeType = 0, nendo = 0, tantou = 0, siten = 0, bumon = 0, dataLock = 0, readOnly = 0;
    fb::Date kishu, kimatu;
    int major = 0, minor1 = 0, minor2 = 0;
    int sitenCount = 0, bumonCount = 0, journals = 0, allJournals = 0;
};

CompanyFacts readFacts(fb::Database& db)
{
    CompanyFacts f;
    fb::Transaction tr(&db);
    tr.addParam("read");
    tr.addParam("concurrency");
    tr.startTransaction();
    fb::Query q(&db, &tr);
    q.sql().add("SELECT ENTTEXT, SCODE1, SHOUGOU, SKANA, DATATYPE, CODETYPE, NENDO, TANTOU, SITEN, BUMON,");
    q.sql().add("DATALOCK, READ_ONLY, KISHU, KIMATU FROM ACCDEF1 WHERE REC = 1");
    q.open();
    if (q.eof())
        throw std::runtime_error("sample: the company master has no row 1");
    f.entText = q.fieldByName("ENTTEXT").asString();
    f.code = q.fieldByName("SCODE1").asString();
    f.shougou = q.fieldByName("SHOUGOU").asString();
    f.kana = q.fieldByName("SKANA").asString();
    f.dataType = q.fieldByName("DATATYPE").asInteger();
    f.codeType = q.fieldByName("CODETYPE").asInteger();
    f.nendo = q.fieldByName("NENDO").asInteger();
    f.tantou = q.fieldByName("TANTOU").asInteger();
    f.siten = q.fieldByName("SITEN").asInteger();
    f.bumon = q.fieldByName("BUMON").asInteger();
    f.dataLock = q.fieldByName("DATALOCK").asInteger();
    f.readOnly = q.fieldByName("READ_ONLY").asInteger();
    f.kishu = q.fieldByName("KISHU").asDate();
    f.kimatu = q.fieldByName("KIMATU").asDate();
    q.close();
    q.sql().clear();
    q.sql().add("SELECT MAJOR, MINOR1, MINOR2 FROM ACCVERSION WHERE REC = 1");
    q.open();
    if (!q.eof()) {
        f.major = q.fieldByName("MAJOR").asInteger();
        f.minor1 = q.fieldByName("MINOR1").asInteger();
        f.minor2 = q.fieldByName("MINOR2").asInteger();
    }
    q.close();
    q.sql().clear();
    q.sql().add("SELECT (SELECT COUNT(SCODE) FROM SISETUMST WHERE SCODE <> '') AS S,");
    q.sql().add("(SELECT COUNT(BCODE) FROM BUMONMST WHERE BCODE <> '') AS B,");
    q.sql().add("(SELECT COUNT(REC) FROM SIWAKE WHERE DELFLG = 0 AND TAISHAKU = 1) AS J,");
    q.sql().add("(SELECT COUNT(REC) FROM SIWAKE WHERE TAISHAKU = 1) AS A FROM RDB$DATABASE");
    q.open();
    f.sitenCount = q.fieldByName("S").asInteger();
    f.bumonCount = q.fieldByName("B").asInteger();
    f.journals = q.fieldByName("J").asInteger();
    f.allJournals = q.fieldByName("A").asInteger();
    tr.commit();
    return f;
}

void writeDataIni(const std::string& path, const CompanyFacts& f)
{
    platform::IniFile ini(path);
    ini.writeSection("DATASTS",
        {"STATUS=1", "SHARE_STATUS=1", "UPDATE_LOCK=" + std::to_string(f.dataLock),
            "READ_ONLY=" + std::to_string(f.readOnly)});
    ini.writeSection("DATAINFO",
        {"DATALISTNAME=" + f.entText, "CODE=" + f.code, "DATAKBN=" + std::to_string(f.dataType),
            "CODEKBN=" + std::to_string(f.codeType), "SHOUGOU=" + f.shougou, "KANA=" + f.kana,
            "NENDO=" + std::to_string(f.nendo), "KISHU=" + dateText(f.kishu), "KIMATU=" + dateText(f.kimatu),
            "TANTO=" + std::to_string(f.tantou), "SITEN=" + std::to_string(f.siten),
            "SITENCNT=" + std::to_string(f.sitenCount), "BUMON=" + std::to_string(f.bumon),
            "BUMONCNT=" + std::to_string(f.bumonCount), "SIWAKE=" + std::to_string(f.journals),
            "TOTALSIWAKE=" + std::to_string(f.allJournals),
            "VERSION1=" + std::to_string(f.major) + "." + std::to_string(f.minor1) + "." + std::to_string(f.minor2),
            "VERSION2=" + std::string(kProductTitle), "GASSANKBN=0", "USEMYNUMBER=0", "CLOUD_SHARE=0"});
}

// Texts with the code page 932 extensions (NEC and IBM rows, circled
// digits) cannot stand as literals in a script: the engine parses statement
// text through Unicode and loses them. They go in through parameters.
// Read-write, concurrency, waiting on locks: what every sample writer uses.
void writeParams(fb::Transaction& tr)
{
    tr.addParam("write");
    tr.addParam("concurrency");
    tr.addParam("wait");
}

void writeExtendedTexts(fb::Database& db, const std::vector<std::pair<std::string, std::vector<std::string>>>& updates)
{
    fb::Transaction tr(&db);
    writeParams(tr);
    tr.startTransaction();
    for (const auto& [sql, values] : updates) {
        fb::Query q(&db, &tr);
        q.sql().add(sql);
        for (std::size_t i = 0; i < values.size(); ++i)
            q.paramByName("V" + std::to_string(i + 1)).setString(values[i]);
        q.execSQL();
        if (q.rowsAffected() < 1)
            throw std::runtime_error("sample: no row for \"" + sql + "\"");
    }
    tr.commit();
}

void registerDataPlaces(fb::Database& sys, const std::string& sysDir)
{
    fb::Transaction tr(&sys);
    writeParams(tr);
    tr.startTransaction();
    fb::Query q(&sys, &tr);
    q.sql().add("INSERT INTO DATAPLACEMAN (REC, ORDERKBN, NAME, PATH) VALUES (:REC, :ORDERKBN, :NAME, :PATH)");
    q.paramByName("REC").setInteger(0);
    q.paramByName("ORDERKBN").setInteger(1);
    q.paramByName("NAME").setString(platform::codec::sjisWidth(sysDir) <= 20 ? sysDir : "標準の場所");
    q.paramByName("PATH").setString(sysDir);
    q.execSQL();
    for (int i = 1; i <= 99; ++i) {
        q.paramByName("REC").setInteger(i);
        q.paramByName("ORDERKBN").setInteger(i + 1);
        q.paramByName("NAME").setString("");
        q.paramByName("PATH").setString(sysDir + twoDigits(i));
        q.execSQL();
    }
    fb::Query rows(&sys, &tr);
    rows.sql().add("SELECT REC FROM SP_DATALIST_INSERT(:REC, :PATH, :MAXCNT)");
    rows.paramByName("REC").setInteger(0);
    rows.paramByName("PATH").setString(sysDir);
    rows.paramByName("MAXCNT").setInteger(kDataListCnt);
    int made = 0;
    for (rows.open(); !rows.eof(); rows.next())
        ++made;
    if (made != kDataListCnt)
        throw std::runtime_error("sample: the data list got " + std::to_string(made) + " rows");
    tr.commit();
}

// netDrive 1 registers a data set kept on the shared server (its folder the
// server area), not taken yet.
void registerCompany(fb::Database& sys, const SampleCompany& c, const CompanyFacts& f, int netDrive = 0)
{
    fb::Transaction tr(&sys);
    writeParams(tr);
    tr.startTransaction();
    fb::Query q(&sys, &tr);
    q.sql().add("UPDATE DATALIST SET ENTTEXT=:ENTTEXT, SHOUGOU=:SHOUGOU, PASNAME=:PASNAME, NETDRIVE=:NETDRIVE,");
    q.sql().add("DATATYPE=:DATATYPE, CODETYPE=:CODETYPE, NENDO=:NENDO, KISHU=:KISHU, KIMATU=:KIMATU,");
    q.sql().add("DATALOCK=0, TANTOU=:TANTOU, VER_MAJOR=:VER_MAJOR, VER_MINOR1=:VER_MINOR1,");
    q.sql().add("VER_MINOR2=:VER_MINOR2, VER_TEXT=:VER_TEXT, UPDATE_LOCK=:UPDATE_LOCK, GASSAN=0,");
    q.sql().add("DATACODE=:DATACODE, DATA_STATUS=0, CLOUD=0, READ_ONLY=:READ_ONLY");
    q.sql().add("WHERE REC=:REC AND GROUPID=10000");
    q.paramByName("ENTTEXT").setString(f.entText);
    q.paramByName("SHOUGOU").setString(f.shougou);
    q.paramByName("PASNAME").setString(c.folder);
    q.paramByName("NETDRIVE").setInteger(netDrive);
    q.paramByName("DATATYPE").setInteger(f.dataType);
    q.paramByName("CODETYPE").setInteger(f.codeType);
    q.paramByName("NENDO").setInteger(f.nendo);
    q.paramByName("KISHU").setDate(f.kishu);
    q.paramByName("KIMATU").setDate(f.kimatu);
    q.paramByName("TANTOU").setInteger(f.tantou);
    q.paramByName("VER_MAJOR").setInteger(f.major);
    q.paramByName("VER_MINOR1").setInteger(f.minor1);
    q.paramByName("VER_MINOR2").setInteger(f.minor2);
    q.paramByName("VER_TEXT").setString(kProductTitle);
    q.paramByName("UPDATE_LOCK").setInteger(f.dataLock);
    q.paramByName("DATACODE").setString(f.code);
    q.paramByName("READ_ONLY").setInteger(f.readOnly);
    q.paramByName("REC").setInteger(c.rec);
    q.execSQL();
    if (q.rowsAffected() != 1)
        throw std::runtime_error("sample: data-list row " + std::to_string(c.rec) + " missing");
    tr.commit();
}

} // namespace

int registerShareArea(const SampleRootInfo& info, const SampleOptions& options)
{
    if (info.shareArea.empty() || info.companies.empty())
        throw std::runtime_error("sample: the root has no shared area to register");
    const SampleCompany& source = info.companies.front();
    fb::Database company;
    configure(company, databaseName(info.shareArea + "/" + kCompanyFile, options), options);
    company.connect();
    CompanyFacts facts = readFacts(company);
    company.disconnect();
    facts.entText = source.name + kSharedSuffix;
    SampleCompany shared = source;
    shared.rec = kShareAreaRec;
    shared.folder = info.shareArea;
    fb::Database sys;
    configure(sys, databaseName(info.systemDatabase, options), options);
    sys.connect();
    registerCompany(sys, shared, facts, 1);
    sys.disconnect();
    return shared.rec;
}

std::string defaultSqlDir()
{
    return SAMPLE_SQL_DIR;
}

std::vector<std::string> scriptFiles(const std::string& sqlDir, const std::string& kind)
{
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(sqlDir, ec)) {
        const std::string name = e.path().filename().string();
        if (e.is_regular_file() && name.rfind(kind + "_", 0) == 0 && e.path().extension() == ".sql")
            files.push_back(e.path().string());
    }
    if (ec)
        throw std::runtime_error("sample: cannot list " + sqlDir + ": " + ec.message());
    std::sort(files.begin(), files.end());
    if (kind == "medical") {
        // A medical corporation's database shares the company schema but
        // not the general corporation's rows and procedures.
        std::vector<std::string> schema;
        for (const auto& f : scriptFiles(sqlDir, "company"))
            if (fs::path(f).filename().string().find("_schema") != std::string::npos)
                schema.push_back(f);
        files.insert(files.begin(), schema.begin(), schema.end());
    }
    return files;
}

void runSqlScript(fb::Database& database, const std::string& scriptPath)
{
    std::string text;
    try {
        text = platform::codec::fromSjis(readFile(scriptPath));
    } catch (const platform::codec::CodecError& e) {
        throw std::runtime_error("sample: " + scriptPath + " is not code page 932: " + e.what());
    }
    runSqlText(database, text, scriptPath);
}

void runSqlText(fb::Database& database, const std::string& sql, const std::string& origin)
{
    fb::Transaction tr(&database);
    writeParams(tr);
    std::string term = ";";
    std::string current;
    int line = 1, statementLine = 1;

    auto runStatement = [&](const std::string& raw) {
        const std::string stmt = stripLeading(raw);
        if (stmt.empty())
            return;
        std::size_t pos = 0;
        const std::string w1 = upperWord(stmt, pos);
        std::size_t pos2 = pos;
        const std::string w2 = upperWord(stmt, pos2);
        if (w1 == "SET" && w2 == "TERM") {
            std::size_t p3 = pos2;
            std::string t = upperWord(stmt, p3);
            if (t.empty())
                throw std::runtime_error(
                    origin + ":" + std::to_string(statementLine) + ": SET TERM without terminator");
            term = stmt.substr(p3 - t.size(), t.size());
            return;
        }
        if (w1 == "SET")
            return; // SQL DIALECT, NAMES, AUTODDL: the connection already has them
        if (w1 == "COMMIT") {
            if (tr.inTransaction())
                tr.commit();
            return;
        }
        if (w1 == "CONNECT" || (w1 == "CREATE" && (w2 == "DATABASE" || w2 == "SCHEMA")))
            throw std::runtime_error(
                origin + ":" + std::to_string(statementLine) + ": scripts run on a database made by the builder");
        const bool ddl = w1 == "CREATE" || w1 == "ALTER" || w1 == "DROP" || w1 == "RECREATE" || w1 == "DECLARE"
            || w1 == "GRANT" || w1 == "REVOKE" || w1 == "COMMENT";
        try {
            if (!tr.inTransaction())
                tr.startTransaction();
            database.executeImmediate(stmt, &tr);
            if (ddl)
                tr.commit(); // later statements use what the DDL made
        } catch (const fb::EIBError& e) {
            if (tr.inTransaction())
                tr.rollback();
            throw fb::EIBError(
                e.iscErrorCode(), e.sqlCode(), e.message(), origin + ":" + std::to_string(statementLine));
        }
    };

    const std::size_t n = sql.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = sql[i];
        if (current.find_first_not_of(" \t\r\n") == std::string::npos)
            statementLine = line;
        if (c == '\'' || c == '"') {
            std::size_t j = i + 1;
            for (;;) {
                if (j >= n)
                    throw std::runtime_error(origin + ":" + std::to_string(line) + ": unterminated quote");
                if (sql[j] == '\n')
                    ++line;
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            current.append(sql, i, j + 1 - i);
            i = j + 1;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            const std::size_t j = std::min(sql.find('\n', i), n);
            current.append(sql, i, j - i);
            i = j;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            const std::size_t j = sql.find("*/", i + 2);
            if (j == std::string::npos)
                throw std::runtime_error(origin + ":" + std::to_string(line) + ": unterminated comment");
            line += static_cast<int>(std::count(
                sql.begin() + static_cast<std::ptrdiff_t>(i), sql.begin() + static_cast<std::ptrdiff_t>(j), '\n'));
            current.append(sql, i, j + 2 - i);
            i = j + 2;
        } else if (sql.compare(i, term.size(), term) == 0) {
            runStatement(current);
            current.clear();
            i += term.size();
        } else {
            if (c == '\n')
                ++line;
            current.push_back(c);
            ++i;
        }
    }
    if (!stripLeading(current).empty())
        throw std::runtime_error(origin + ": the last statement has no terminator \"" + term + "\"");
    if (tr.inTransaction())
        tr.commit();
}

void configureConnection(
    fb::Database& db, const std::string& name, const std::string& user, const std::string& password)
{
    db.setDatabaseName(name);
    db.addParam("user_name=" + user);
    if (!password.empty())
        db.addParam("password=" + password);
    db.addParam("lc_ctype=SJIS_0208");
}

void executeCommitted(fb::Database& db, const std::string& sql)
{
    fb::Transaction t;
    t.setDefaultDatabase(&db);
    t.startTransaction();
    db.executeImmediate(sql, &t);
    t.commit();
}

void createDatabaseFromScripts(const std::string& databaseName, const std::string& sqlDir, const std::string& kind,
    const std::string& user, const std::string& password, bool forcedWrites)
{
    const auto files = scriptFiles(sqlDir, kind);
    if (files.empty())
        throw std::runtime_error("sample: no " + kind + "_*.sql scripts in " + sqlDir);
    createDatabaseFromScriptFiles(databaseName, files, user, password, forcedWrites);
}

void createDatabaseFromScriptFiles(const std::string& databaseName, const std::vector<std::string>& scriptPaths,
    const std::string& user, const std::string& password, bool forcedWrites)
{
    fb::Database db;
    configureConnection(db, databaseName, user, password);
    if (!forcedWrites)
        db.addParam("force_write=0");
    db.createDatabase();
    try {
        for (const auto& f : scriptPaths)
            runSqlScript(db, f);
    } catch (...) {
        // A half-built database is of no use: remove it.
        try {
            db.dropDatabase();
        } catch (const fb::EIBError&) {
        }
        throw;
    }
    db.disconnect();
}

SampleRootInfo buildSampleRoot(const std::string& folder, const SampleOptions& options)
{
    SampleRootInfo info;
    const std::string sqlDir = options.sqlDir.empty() ? defaultSqlDir() : options.sqlDir;
    fs::create_directories(folder);
    info.folder = fs::canonical(folder).string();
    info.appDataDir = info.folder + "/data";
    info.dataRoot = info.appDataDir + "/" + kHomeDir;
    if (fs::exists(info.dataRoot))
        throw std::runtime_error("sample: " + info.dataRoot + " exists already");
    info.iniDir = info.dataRoot + "/ini";
    info.logDir = info.dataRoot + "/log";
    info.tempDir = info.dataRoot + "/temp";
    info.sysDir = info.dataRoot + "/data";
    for (const auto& d : {info.iniDir, info.logDir, info.tempDir, info.sysDir}) {
        fs::create_directories(d);
        if (options.folderCreated)
            options.folderCreated(d);
    }
    info.systemDatabase = info.sysDir + "/" + kSystemFile;
    info.fileManDatabase = info.sysDir + "/" + kFileManFile;
    info.connectionIni = info.dataRoot + "/" + kAppName + ".ini";
    info.registryFile = info.folder + "/config/registry.ini";
    info.operatorCode = 10;
    info.operatorName = "髙橋　一郎";
    info.operatorPassword = "tolvan";

    createDatabaseFromScripts(databaseName(info.systemDatabase, options), sqlDir, "sys", options.dbUser,
        options.dbPassword, options.forcedWrites);
    if (options.withFileManager)
        createDatabaseFromScripts(databaseName(info.fileManDatabase, options), sqlDir, "fileman", options.dbUser,
            options.dbPassword, options.forcedWrites);

    fb::Database sys;
    configure(sys, databaseName(info.systemDatabase, options), options);
    sys.connect();
    writeExtendedTexts(
        sys, {{"UPDATE OPERATOR SET OPNAME=:V1 WHERE GROUPID=10000 AND OPCODE=10", {info.operatorName}}});
    registerDataPlaces(sys, info.sysDir);

    // A company made from the scripts of one kind, with the texts the scripts
    // cannot hold, registered in the data list and given its settings file.
    auto addCompany = [&](int rec, const std::string& folderName, const std::string& scriptKind,
                          const std::vector<std::pair<std::string, std::vector<std::string>>>& texts) {
        SampleCompany c;
        c.rec = rec;
        c.folder = info.sysDir + "/" + folderName;
        c.database = c.folder + "/" + kCompanyFile;
        c.iniFile = c.folder + "/" + kDataIniFile;
        fs::create_directories(c.folder);
        if (options.folderCreated)
            options.folderCreated(c.folder);
        createDatabaseFromScripts(databaseName(c.database, options), sqlDir, scriptKind, options.dbUser,
            options.dbPassword, options.forcedWrites);
        fb::Database company;
        configure(company, databaseName(c.database, options), options);
        company.connect();
        if (!texts.empty())
            writeExtendedTexts(company, texts);
        const CompanyFacts facts = readFacts(company);
        company.disconnect();
        c.code = facts.code;
        c.name = facts.shougou;
        registerCompany(sys, c, facts);
        writeDataIni(c.iniFile, facts);
        info.companies.push_back(c);
    };
    if (options.withCompany)
        addCompany(1, "0001", "company",
            {{"UPDATE ACCDEF1 SET ENTTEXT=:V1, SHOUGOU=:V1, ADD2=:V2 WHERE REC=1", {"㈱トルバン商事", "髙橋ビル５Ｆ"}},
                {"UPDATE SISETUMST SET SNAME=:V1 WHERE SCODE=''", {"㈱トルバン商事"}},
                {"UPDATE HOJOMST SET HNAME=:V1 WHERE KCODE='1211' AND HCODE='01'", {"㈱髙橋商店"}},
                {"UPDATE HOJOMST SET HNAME=:V1 WHERE KCODE='1121' AND HCODE='02'", {"ミルザ信用金庫①"}}});
    if (options.withMedical)
        addCompany(2, "0002", "medical", {});

    // The shared server: one area holding a copy of the first company.
    if (options.withShareRoot && options.withCompany && options.host.empty()) {
        const SampleCompany& source = info.companies.front();
        info.shareRoot = info.folder + "/share-server";
        info.shareArea = info.shareRoot + "/" + kShareDir + "/sv0001";
        fs::create_directories(info.shareArea);
        for (const char* file : {kCompanyFile, kDataIniFile})
            fs::copy_file(source.folder + "/" + file, info.shareArea + "/" + file);
        // The list name is the data's own (its settings row): a take
        // refreshes the ini and the list from it.
        const std::string sharedName = source.name + kSharedSuffix;
        {
            fb::Database copy;
            configure(copy, databaseName(info.shareArea + "/" + kCompanyFile, options), options);
            copy.connect();
            writeExtendedTexts(copy, {{"UPDATE ACCDEF1 SET ENTTEXT=:V1 WHERE REC=1", {sharedName}}});
            copy.disconnect();
        }
        platform::IniFile(info.shareArea + "/" + kDataIniFile).writeString("DATAINFO", "DATALISTNAME", sharedName);
        fs::create_directories(info.folder + "/config");
        platform::share_roots::save({{kShareLetter, info.shareRoot, true}}, info.folder + "/config/share_roots.ini");
    }
    sys.disconnect();
    if (options.registerShareArea && !info.shareArea.empty())
        registerShareArea(info, options);

    // The connection settings file as a fresh write leaves it. It holds the
    // database password, so it is the owner's only (the writes below keep
    // the mode of the file they replace).
    {
        const int fd = ::open(info.connectionIni.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 || ::fchmod(fd, 0600) != 0) {
            const int err = errno;
            if (fd >= 0)
                ::close(fd);
            throw std::runtime_error(
                "makeSampleRoot: " + info.connectionIni + ": " + std::generic_category().message(err));
        }
        ::close(fd);
    }
    platform::IniFile conn(info.connectionIni);
    conn.writeSection("APPLICATION", {"TOP=0", "LEFT=0", "WIDTH=1024", "HEIGHT=738", "CONNECT=0"});
    conn.writeSection("LOCAL",
        {"HOSTNAME=", "GOGLOBAL=NO", "GROUP=NO", "SYSDIR=" + info.sysDir, "USER=" + options.dbUser,
            "PASSWORD=" + options.dbPassword});
    conn.writeSection("SERVER",
        {"HOSTNAME=", "GOGLOBAL=NO", "GROUP=NO", "SYSDIR=", "USER=" + options.dbUser,
            "PASSWORD=" + options.dbPassword});

    // The installed accounting product.
    fs::create_directories(fs::path(info.registryFile).parent_path());
    platform::Registry registry(info.registryFile);
    registry.writeString(platform::RegRoot::LocalMachine, kProductKey, "Product", kProductTitle);
    registry.writeString(platform::RegRoot::LocalMachine, kProductKey, "Version", kProductVersion);
    registry.writeString(platform::RegRoot::LocalMachine, kProductKey, "Type", kProductTitle);
    return info;
}

} // namespace sample
