#include "support/sample_root.h"

#include "platform/firebird/firebird.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <vector>

namespace test_support {

namespace {

namespace fs = std::filesystem;

// Every default root (the template serves no other).
bool isDefault(const sample::SampleOptions& o)
{
    const sample::SampleOptions d;
    return o.sqlDir.empty() && o.dbUser == d.dbUser && o.dbPassword == d.dbPassword && o.host.empty() && o.withCompany
        && o.withMedical && o.withFileManager && o.withShareRoot && !o.registerShareArea && !o.folderCreated;
}

std::string replaceAll(std::string s, const std::string& from, const std::string& to)
{
    for (std::size_t i = s.find(from); i != std::string::npos; i = s.find(from, i + to.size()))
        s.replace(i, from.size(), to);
    return s;
}

// A text literal of a statement that stands inside a PSQL text literal.
std::string inner(const std::string& s)
{
    return "''" + replaceAll(s, "'", "''''") + "''";
}

// The facts of a root, one "name=value" line each; a company is one line of
// tab-separated fields.
void writeInfo(const sample::SampleRootInfo& i, const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    out << "folder=" << i.folder << "\nappDataDir=" << i.appDataDir << "\ndataRoot=" << i.dataRoot
        << "\niniDir=" << i.iniDir << "\nlogDir=" << i.logDir << "\ntempDir=" << i.tempDir << "\nsysDir=" << i.sysDir
        << "\nsystemDatabase=" << i.systemDatabase << "\nfileManDatabase=" << i.fileManDatabase
        << "\nconnectionIni=" << i.connectionIni << "\nregistryFile=" << i.registryFile << "\ngroupId=" << i.groupId
        << "\noperatorCode=" << i.operatorCode << "\noperatorName=" << i.operatorName
        << "\noperatorPassword=" << i.operatorPassword << "\nshareRoot=" << i.shareRoot << "\nshareArea=" << i.shareArea
        << "\n";
    for (const auto& c : i.companies)
        out << "company=" << c.rec << "\t" << c.folder << "\t" << c.database << "\t" << c.iniFile << "\t" << c.code
            << "\t" << c.name << "\n";
    if (!out.flush())
        throw std::runtime_error("sample template: cannot write " + path);
}

// The facts of the template's root, moved from its folder to `folder`.
sample::SampleRootInfo readInfo(const std::string& path, const std::string& from, const std::string& to)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("sample template: cannot read " + path);
    sample::SampleRootInfo i;
    auto moved = [&](const std::string& v) { return v.rfind(from, 0) == 0 ? to + v.substr(from.size()) : v; };
    const std::map<std::string, std::string*> texts = {{"folder", &i.folder}, {"appDataDir", &i.appDataDir},
        {"dataRoot", &i.dataRoot}, {"iniDir", &i.iniDir}, {"logDir", &i.logDir}, {"tempDir", &i.tempDir},
        {"sysDir", &i.sysDir}, {"systemDatabase", &i.systemDatabase}, {"fileManDatabase", &i.fileManDatabase},
        {"connectionIni", &i.connectionIni}, {"registryFile", &i.registryFile}, {"operatorName", &i.operatorName},
        {"operatorPassword", &i.operatorPassword}, {"shareRoot", &i.shareRoot}, {"shareArea", &i.shareArea}};
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string name = line.substr(0, eq), value = line.substr(eq + 1);
        if (auto it = texts.find(name); it != texts.end()) {
            *it->second = moved(value);
        } else if (name == "groupId") {
            i.groupId = std::stoi(value);
        } else if (name == "operatorCode") {
            i.operatorCode = std::stoi(value);
        } else if (name == "company") {
            std::vector<std::string> f;
            std::size_t a = 0;
            for (std::size_t b; (b = value.find('\t', a)) != std::string::npos; a = b + 1)
                f.push_back(value.substr(a, b - a));
            f.push_back(value.substr(a));
            if (f.size() != 6)
                throw std::runtime_error("sample template: bad company line in " + path);
            i.companies.push_back({moved(f[1]), moved(f[2]), moved(f[3]), std::stoi(f[0]), f[4], f[5]});
        }
    }
    return i;
}

// Replaces `from` by `to` in every text column of every user table. A column
// whose texts hold the code page 932 extensions cannot be searched (the
// engine reads through Unicode); it holds names, not paths, but a column that
// still holds the old path after the pass fails the copy.
void movePathsInDatabase(const std::string& database, const std::string& from, const std::string& to)
{
    platform::firebird::Database db;
    db.setDatabaseName(database);
    db.addParam("user_name=SYSDBA");
    db.addParam("lc_ctype=SJIS_0208");
    db.connect();
    platform::firebird::Transaction tr(&db);
    tr.addParam("write");
    tr.addParam("concurrency");
    tr.startTransaction();
    const std::string column = "\"' || C || '\"";
    db.executeImmediate(
        "EXECUTE BLOCK AS\n"
        "DECLARE T VARCHAR(63);\n"
        "DECLARE C VARCHAR(63);\n"
        "DECLARE N INTEGER;\n"
        "BEGIN\n"
        "  FOR SELECT TRIM(RF.RDB$RELATION_NAME), TRIM(RF.RDB$FIELD_NAME)\n"
        "      FROM RDB$RELATION_FIELDS RF\n"
        "      JOIN RDB$RELATIONS R ON R.RDB$RELATION_NAME = RF.RDB$RELATION_NAME\n"
        "      JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE\n"
        "      WHERE COALESCE(R.RDB$SYSTEM_FLAG, 0) = 0 AND R.RDB$VIEW_BLR IS NULL AND R.RDB$RELATION_TYPE = 0\n"
        "        AND F.RDB$FIELD_TYPE IN (14, 37) AND F.RDB$COMPUTED_BLR IS NULL\n"
        "      INTO :T, :C\n"
        "  DO BEGIN\n"
        "    EXECUTE STATEMENT 'UPDATE \"' || T || '\" SET "
            + column + " = REPLACE(" + column + ", " + inner(from) + ", " + inner(to) + ") WHERE " + column
            + " CONTAINING " + inner(from)
            + "';\n"
              "    WHEN ANY DO\n"
              "    BEGIN\n"
              "      N = 0;\n"
              "      BEGIN\n"
              "        EXECUTE STATEMENT 'SELECT COUNT(*) FROM \"' || T || '\" WHERE "
            + column + " CONTAINING " + inner(from)
            + "' INTO :N;\n"
              "        WHEN ANY DO N = 0;\n"
              "      END\n"
              "      IF (N > 0) THEN RDB$SET_CONTEXT('USER_TRANSACTION', 'PATH_LEFT', T || '.' || C);\n"
              "    END\n"
              "  END\n"
              "END",
        &tr);
    platform::firebird::Query q(&db, &tr);
    q.sql().add("SELECT RDB$GET_CONTEXT('USER_TRANSACTION', 'PATH_LEFT') AS C FROM RDB$DATABASE");
    q.open();
    const std::string left = q.fieldByName("C").isNull() ? std::string() : q.fieldByName("C").asString();
    q.close();
    if (!left.empty())
        throw std::runtime_error("sample template: " + database + ": the path in " + left + " cannot be moved");
    tr.commit();
    db.disconnect();
}

// A copy of the template's root at `home`, its stored paths moved there.
sample::SampleRootInfo copyTemplateRoot(const std::string& templateFolder, const std::string& home)
{
    const std::string from = templateFolder + "/root/home";
    fs::copy(from, home, fs::copy_options::recursive);
    const std::string to = fs::canonical(home).string();
    for (const auto& e : fs::recursive_directory_iterator(to)) {
        if (!e.is_regular_file())
            continue;
        const std::string path = e.path().string();
        if (e.path().extension() == ".fdb") {
            movePathsInDatabase(path, from, to);
            continue;
        }
        std::string bytes;
        {
            std::ifstream in(path, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        const std::string moved = replaceAll(bytes, from, to);
        if (moved != bytes)
            std::ofstream(path, std::ios::binary | std::ios::trunc) << moved;
    }
    return readInfo(templateFolder + "/root.info", from, to);
}

} // namespace

// A fingerprint of the sample scripts: a template made from other scripts
// is not used.
std::string scriptsFingerprint()
{
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(sample::defaultSqlDir()))
        if (e.is_regular_file())
            files.push_back(e.path().string());
    std::sort(files.begin(), files.end());
    std::size_t h = 0;
    for (const auto& f : files) {
        std::ifstream in(f, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        h = h * 1000003u ^ std::hash<std::string> {}(f + '\n' + bytes);
    }
    return std::to_string(h);
}

std::string sampleTemplateFolder()
{
    const char* env = std::getenv("MIRUZA_SAMPLE_TEMPLATE");
    const std::string t = env && *env ? env : SAMPLE_TEMPLATE_DIR;
    std::error_code ec;
    const auto made = fs::last_write_time(t + "/root.info", ec);
    if (ec)
        return {};
    // Older than this program: the builder may have changed since.
    const auto program = fs::last_write_time("/proc/self/exe", ec);
    if (ec || made < program)
        return {};
    std::ifstream in(t + "/scripts.fingerprint", std::ios::binary);
    std::string stored;
    std::getline(in, stored);
    return stored == scriptsFingerprint() ? t : std::string();
}

void buildSampleTemplate(const std::string& folder)
{
    if (fs::exists(folder))
        throw std::runtime_error("sample template: " + folder + " exists already");
    fs::create_directories(folder + "/root");
    const std::string base = fs::canonical(folder).string();
    sample::SampleOptions o;
    o.forcedWrites = false;
    const sample::SampleRootInfo info = sample::buildSampleRoot(base + "/root/home", o);
    sample::createDatabaseFromScripts(base + "/company.fdb", sample::defaultSqlDir(), "company", "SYSDBA", "", false);
    std::ofstream(base + "/scripts.fingerprint", std::ios::binary) << scriptsFingerprint() << "\n";
    // Written last: a template without it is not used.
    writeInfo(info, base + "/root.info");
}

void companyDatabaseFromScripts(const std::string& path)
{
    const std::string t = sampleTemplateFolder();
    if (t.empty())
        sample::createDatabaseFromScripts(path, sample::defaultSqlDir(), "company", "SYSDBA", "", false);
    else
        fs::copy_file(t + "/company.fdb", path);
}

void databaseFromScripts(const std::string& databaseName, const std::vector<std::string>& scripts,
    const std::string& user, const std::string& password)
{
    std::vector<std::string> paths;
    for (const auto& s : scripts)
        paths.push_back(sample::defaultSqlDir() + "/" + s);
    sample::createDatabaseFromScriptFiles(databaseName, paths, user, password, false);
}

TempFolder::TempFolder(const std::string& prefix)
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data()))
        throw std::runtime_error("TempFolder: cannot create " + pattern);
    path_ = buf.data();
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

SampleRoot::SampleRoot(const sample::SampleOptions& options)
{
    TempFolder* holder = new TempFolder("miruza-sample");
    folder_ = holder->path();
    holder_.reset(holder);
    if (const std::string t = sampleTemplateFolder(); !t.empty() && isDefault(options)) {
        info_ = copyTemplateRoot(t, folder_ + "/home");
        return;
    }
    sample::SampleOptions o = options;
    o.forcedWrites = false; // scratch data: build fast
    info_ = sample::buildSampleRoot(folder_ + "/home", o);
}

SampleRoot::~SampleRoot() = default;

std::unique_ptr<SampleRoot> SampleRootSuite::root_;

void SampleRootSuite::SetUpTestSuite()
{
    root_ = std::make_unique<SampleRoot>();
}

void SampleRootSuite::TearDownTestSuite()
{
    root_.reset();
}

const SampleRoot& SampleRootSuite::root()
{
    if (!root_)
        root_ = std::make_unique<SampleRoot>();
    return *root_;
}

} // namespace test_support
