// registry.cpp: the registry kept in one SQLite database per root folder.
//
// Tables of <root>/registry.db:
//   regkey(id, parent, name, fold, mtime)   one row per key; the four roots
//                                           are ids 1..4 with parent 0
//   regvalue(id, key, name, fold, type, data)  one row per value; its id
//                                           keeps the order of first writing
// Names are stored as UTF-16LE bytes; "fold" is the upper-cased name as
// UTF-16BE bytes, so that the unique index makes names case-insensitive and
// byte order sorts keys by code unit.
//
// Invariants:
//  1. Every change runs inside BEGIN IMMEDIATE ... COMMIT; on any failure the
//     transaction is rolled back and an error returned, so the database never
//     holds half a change.
//  2. A handle holds the id of its key (ids are never reused), never a path: a key deleted under an
//     open handle makes that handle fail with ERROR_KEY_DELETED, even when a
//     key of the same name is created again.
//  3. One process-wide lock serialises this process's calls; other processes
//     are kept apart by SQLite's own locking (WAL, busy timeout).
//  4. What a process has read (key ids, live keys, values) is kept in memory
//     and answers again without a transaction while the database is
//     unchanged: every call first asks the connection's data version, which
//     moves when any other connection (another process) commits. This
//     process's own committed writes update the value they wrote, or empty
//     the cache when they change keys. Nothing is read from or kept in it
//     while a write transaction is open, so a rolled-back change is never
//     remembered.
#include "platform/registry/registry.h"

#include "platform/kernel/root.h"

#include <sqlite3.h>

#include <cstring>
#include <ctime>
#include <map>
#include <new>
#include <pthread.h>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

const DWORD REGHANDLE_MAGIC = 0x4B474552;  // "REGK"
const int REG_BUSY_TIMEOUT_MS = 15000;
const DWORD REG_WRITE_RIGHTS = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | 0x00040000L |
                               0x00080000L;  // WRITE_DAC, WRITE_OWNER

// A value as last read: found or not, its type and bytes.
struct REGCACHEDVALUE {
    bool bFound;
    DWORD dwType;
    std::string data;
};

typedef std::pair<sqlite3_int64, std::string> REGCACHEKEY;  // key id, folded name

// One open database (one per root folder this process has used).
struct REGDB {
    std::string sPath;                           // host path of registry.db
    sqlite3* pDb;                                // open connection, or null
    std::map<const char*, sqlite3_stmt*> stmts;  // prepared statements by SQL text
    LONG cHandles;                               // open handles on keys of it
    // The read cache (invariant 4), valid for data version llVersion (-1:
    // unknown, nothing kept).
    sqlite3_int64 llVersion;
    bool bWriting;                                   // a write transaction is open
    std::map<REGCACHEKEY, sqlite3_int64> children;   // child key id, 0 when missing
    std::map<sqlite3_int64, bool> alive;             // key exists
    std::map<REGCACHEKEY, REGCACHEDVALUE> values;
};

// What an HKEY points to.
struct REGHANDLE {
    DWORD dwMagic;          // REGHANDLE_MAGIC while open
    REGDB* pDb;             // database the key lives in
    sqlite3_int64 idKey;    // regkey.id
    REGSAM sam;             // rights granted at open
    std::u16string sFold;   // "<root id>\FOLDED\PATH", for the denial hook
};

std::recursive_mutex g_lock;
std::map<std::string, REGDB*> g_dbs;
std::set<REGHANDLE*> g_handles;
std::set<std::u16string> g_denied;

void _CloseDb(REGDB* pReg);

// Closes every database when the process ends, so that each WAL file is
// checkpointed and nothing is left for a leak checker. Defined after the
// tables above, so it is destroyed before them.
struct REGCLEANUP {
    ~REGCLEANUP()
    {
        std::lock_guard<std::recursive_mutex> lock(g_lock);
        for (auto& kv : g_dbs) {
            _CloseDb(kv.second);
            delete kv.second;
        }
        g_dbs.clear();
        for (REGHANDLE* p : g_handles)
            delete p;
        g_handles.clear();
    }
} g_cleanup;

// ---- names ----------------------------------------------------------------

char16_t _FoldChar(char16_t c)
{
    if (c >= u'a' && c <= u'z')
        return c - 0x20;
    if (c < 0x80)
        return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F) || (c >= 0xFF41 && c <= 0xFF5A))
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177) || (c >= 0x460 && c <= 0x4BF))
        return (c & 1) ? c - 1 : c;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) ? c : c - 1;
    return c;
}

std::string _FoldBytes(const std::u16string& s)
{
    std::string out;
    out.reserve(s.size() * 2);
    for (char16_t c : s) {
        char16_t f = _FoldChar(c);
        out.push_back(static_cast<char>(f >> 8));
        out.push_back(static_cast<char>(f & 0xFF));
    }
    return out;
}

std::u16string _FoldString(const std::u16string& s)
{
    std::u16string out(s);
    for (char16_t& c : out)
        c = _FoldChar(c);
    return out;
}

std::u16string _Str(LPCWSTR p)
{
    std::u16string s;
    if (p)
        while (*p)
            s.push_back(*p++);
    return s;
}

// Splits a key path into its names. A single trailing backslash is allowed;
// a leading one or an empty name between two is a bad path.
LONG _SplitPath(LPCWSTR lpSubKey, std::vector<std::u16string>* parts)
{
    parts->clear();
    std::u16string s = _Str(lpSubKey);
    if (!s.empty() && s.back() == u'\\')
        s.pop_back();
    if (s.empty())
        return ERROR_SUCCESS;
    size_t start = 0;
    for (;;) {
        size_t end = s.find(u'\\', start);
        std::u16string name = s.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
        if (name.empty())
            return ERROR_BAD_PATHNAME;
        if (name.size() > REG_MAX_KEY_NAME)
            return ERROR_INVALID_PARAMETER;
        parts->push_back(name);
        if (end == std::u16string::npos)
            break;
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

ULONGLONG _NowFileTime()
{
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return (ULONGLONG)ts.tv_sec * 10000000ull + (ULONGLONG)ts.tv_nsec / 100 + 116444736000000000ull;
}

// ---- database -------------------------------------------------------------

LONG _SqlError(int rc, LONG lDefault)
{
    switch (rc & 0xFF) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
    case SQLITE_FORMAT:
    case SQLITE_SCHEMA:
    case SQLITE_ERROR:  // a foreign database without our tables or columns
        return ERROR_BADDB;
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_CANTOPEN;
    case SQLITE_NOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_FULL:
        return ERROR_DISK_FULL;
    default:
        return lDefault;
    }
}

void _CacheClear(REGDB* pReg)
{
    pReg->children.clear();
    pReg->alive.clear();
    pReg->values.clear();
}

// Whether the read cache may be used (read or filled) now.
bool _CacheOn(const REGDB* pReg)
{
    return !pReg->bWriting && pReg->llVersion >= 0;
}

void _CloseDb(REGDB* pReg)
{
    _CacheClear(pReg);
    pReg->llVersion = -1;
    for (auto& kv : pReg->stmts)
        sqlite3_finalize(kv.second);
    pReg->stmts.clear();
    if (pReg->pDb)
        sqlite3_close_v2(pReg->pDb);
    pReg->pDb = nullptr;
}

const char* const SQL_SCHEMA =
    "CREATE TABLE IF NOT EXISTS regkey("
    " id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL, name BLOB NOT NULL,"
    " fold BLOB NOT NULL, mtime INTEGER NOT NULL DEFAULT 0, UNIQUE(parent, fold));"
    "CREATE TABLE IF NOT EXISTS regvalue("
    " id INTEGER PRIMARY KEY, key INTEGER NOT NULL, name BLOB NOT NULL,"
    " fold BLOB NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL, UNIQUE(key, fold));"
    "INSERT OR IGNORE INTO regkey(id, parent, name, fold) VALUES"
    " (1, 0, x'', x'01'), (2, 0, x'', x'02'), (3, 0, x'', x'03'), (4, 0, x'', x'04');";

// Opens the connection of a database record when it has none (first use,
// after a failed open, or in a child process after fork) and makes sure the
// tables exist.
LONG _EnsureOpen(REGDB* pReg)
{
    if (pReg->pDb)
        return ERROR_SUCCESS;
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(pReg->sPath.c_str(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        if (db)
            sqlite3_close_v2(db);
        return _SqlError(rc, ERROR_CANTOPEN);
    }
    pReg->pDb = db;
    sqlite3_busy_timeout(db, REG_BUSY_TIMEOUT_MS);
    sqlite3_extended_result_codes(db, 0);
    // WAL lets readers in other processes go on while one writes; NORMAL
    // syncing keeps every committed change when a process dies.
    rc = sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_exec(db, SQL_SCHEMA, nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        _CloseDb(pReg);
        return _SqlError(rc, ERROR_CANTOPEN);
    }
    return ERROR_SUCCESS;
}

// A child process must not use the connections it inherited: it forgets
// them (without closing, which would touch the parent's state) and opens
// its own on first use. Handles stay valid.
void _BeforeFork()
{
    g_lock.lock();  // no other thread is inside a call while the process is copied
}

void _AfterForkInParent()
{
    g_lock.unlock();
}

void _AfterForkInChild()
{
    for (auto& kv : g_dbs) {
        kv.second->pDb = nullptr;
        kv.second->stmts.clear();
        _CacheClear(kv.second);
        kv.second->llVersion = -1;
        kv.second->bWriting = false;
    }
    // The lock taken before the fork belongs to a thread id the child does
    // not have, so it cannot be unlocked here: the child starts a new one.
    new (&g_lock) std::recursive_mutex();
}

// The database of the current root, open.
REGDB* _OpenDb(LONG* plErr)
{
    static bool s_atfork = (pthread_atfork(_BeforeFork, _AfterForkInParent, _AfterForkInChild), true);
    (void)s_atfork;
    std::string path = std::string(PlatGetRoot()) + "/registry.db";
    REGDB*& pReg = g_dbs[path];
    if (!pReg) {
        pReg = new REGDB;
        pReg->sPath = path;
        pReg->pDb = nullptr;
        pReg->cHandles = 0;
        pReg->llVersion = -1;
        pReg->bWriting = false;
    }
    // A process that moves from root to root (the tests do) keeps open only
    // the databases that still have open handles.
    for (auto& kv : g_dbs)
        if (kv.second != pReg && kv.second->pDb && kv.second->cHandles == 0)
            _CloseDb(kv.second);
    *plErr = _EnsureOpen(pReg);
    return *plErr == ERROR_SUCCESS ? pReg : nullptr;
}

// A cached prepared statement, reset and ready for binding; null on failure.
sqlite3_stmt* _Stmt(REGDB* pReg, const char* sql, int* prc)
{
    auto it = pReg->stmts.find(sql);
    if (it != pReg->stmts.end()) {
        sqlite3_reset(it->second);
        sqlite3_clear_bindings(it->second);
        *prc = SQLITE_OK;
        return it->second;
    }
    sqlite3_stmt* st = nullptr;
    *prc = sqlite3_prepare_v3(pReg->pDb, sql, -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr);
    if (*prc != SQLITE_OK)
        return nullptr;
    pReg->stmts[sql] = st;
    return st;
}

void _BindBlob(sqlite3_stmt* st, int i, const void* p, size_t cb)
{
    if (cb == 0)
        sqlite3_bind_zeroblob(st, i, 0);
    else
        sqlite3_bind_blob(st, i, p, (int)cb, SQLITE_TRANSIENT);
}

// Runs a statement with no result rows.
int _Exec(REGDB* pReg, const char* sql, std::initializer_list<sqlite3_int64> ints)
{
    int rc;
    sqlite3_stmt* st = _Stmt(pReg, sql, &rc);
    if (!st)
        return rc;
    int i = 1;
    for (sqlite3_int64 v : ints)
        sqlite3_bind_int64(st, i++, v);
    rc = sqlite3_step(st);
    sqlite3_reset(st);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

// What a committed write changed, for the read cache.
enum REGCHANGE { REGCHANGE_ANY, REGCHANGE_NONE, REGCHANGE_VALUE };

// A transaction around one call; rolls back unless Commit succeeded.
struct REGTXN {
    REGDB* pReg;
    bool bOpen;
    bool bWrite;
    bool bCommitted;
    REGCHANGE change;       // what the write changed (REGCHANGE_ANY unless told)
    REGCACHEKEY vkey;       // REGCHANGE_VALUE: the value written or deleted
    REGCACHEDVALUE value;   // and what it now is
};

int _Begin(REGTXN* t, REGDB* pReg, bool bWrite)
{
    t->pReg = pReg;
    t->bOpen = false;
    t->bWrite = bWrite;
    t->bCommitted = false;
    t->change = REGCHANGE_ANY;
    int rc = _Exec(pReg, bWrite ? "BEGIN IMMEDIATE" : "BEGIN", {});
    if (rc == SQLITE_OK) {
        t->bOpen = true;
        if (bWrite)
            pReg->bWriting = true;
    }
    return rc;
}

int _Commit(REGTXN* t)
{
    int rc = _Exec(t->pReg, "COMMIT", {});
    if (rc == SQLITE_OK) {
        t->bOpen = false;
        t->bCommitted = true;
    }
    return rc;
}

void _EndTxn(REGTXN* t)
{
    if (t->bOpen)
        _Exec(t->pReg, "ROLLBACK", {});
    t->bOpen = false;
    if (t->bWrite && t->pReg->bWriting) {
        // This process's own commit does not move its data version: the
        // cache learns the change here.
        REGDB* pReg = t->pReg;
        pReg->bWriting = false;
        if (t->bCommitted && t->change == REGCHANGE_VALUE && _CacheOn(pReg))
            pReg->values[t->vkey] = t->value;
        else if (t->bCommitted && t->change != REGCHANGE_NONE)
            _CacheClear(pReg);
    }
}

// Starts a call: empties the read cache when any other connection has
// committed since it was filled.
void _CacheCheck(REGDB* pReg)
{
    int rc;
    sqlite3_int64 v = -1;
    sqlite3_stmt* st = _Stmt(pReg, "PRAGMA data_version", &rc);
    if (st) {
        if (sqlite3_step(st) == SQLITE_ROW)
            v = sqlite3_column_int64(st, 0);
        sqlite3_reset(st);
    }
    // A bound on what is kept: a process that reads everything once does
    // not keep it all.
    const size_t kMaxEntries = 4096;
    if (v < 0 || v != pReg->llVersion || pReg->values.size() + pReg->children.size() > kMaxEntries)
        _CacheClear(pReg);
    pReg->llVersion = v;
}


// ---- keys -----------------------------------------------------------------

// The key id of a child, 0 when missing, -1 with *prc set on error.
sqlite3_int64 _FindChild(REGDB* pReg, sqlite3_int64 idParent, const std::u16string& name, int* prc)
{
    std::string fold = _FoldBytes(name);
    REGCACHEKEY key(idParent, fold);
    if (_CacheOn(pReg)) {
        auto it = pReg->children.find(key);
        if (it != pReg->children.end())
            return it->second;
    }
    sqlite3_stmt* st = _Stmt(pReg, "SELECT id FROM regkey WHERE parent=?1 AND fold=?2", prc);
    if (!st)
        return -1;
    sqlite3_bind_int64(st, 1, idParent);
    _BindBlob(st, 2, fold.data(), fold.size());
    int rc = sqlite3_step(st);
    sqlite3_int64 id = 0;
    if (rc == SQLITE_ROW)
        id = sqlite3_column_int64(st, 0);
    else if (rc != SQLITE_DONE) {
        *prc = rc;
        id = -1;
    }
    sqlite3_reset(st);
    if (id >= 0 && _CacheOn(pReg))
        pReg->children[key] = id;
    return id;
}

// 1 when the key exists, 0 when not, -1 on error.
int _KeyExists(REGDB* pReg, sqlite3_int64 idKey, int* prc)
{
    if (_CacheOn(pReg)) {
        auto it = pReg->alive.find(idKey);
        if (it != pReg->alive.end())
            return it->second ? 1 : 0;
    }
    sqlite3_stmt* st = _Stmt(pReg, "SELECT 1 FROM regkey WHERE id=?1", prc);
    if (!st)
        return -1;
    sqlite3_bind_int64(st, 1, idKey);
    int rc = sqlite3_step(st);
    sqlite3_reset(st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        *prc = rc;
        return -1;
    }
    if (_CacheOn(pReg))
        pReg->alive[idKey] = rc == SQLITE_ROW;
    return rc == SQLITE_ROW ? 1 : 0;
}

int _Touch(REGDB* pReg, sqlite3_int64 idKey)
{
    return _Exec(pReg, "UPDATE regkey SET mtime=?2 WHERE id=?1", {idKey, (sqlite3_int64)_NowFileTime()});
}

bool _IsRoot(HKEY h)
{
    ULONG_PTR v = (ULONG_PTR)h;
    return v >= 0x80000000u && v <= 0x80000003u;
}

// Resolves hKey into a handle record (roots resolve to a temporary one of
// the current root's database). The lock must be held.
LONG _Resolve(HKEY hKey, REGHANDLE* pOut)
{
    if (_IsRoot(hKey)) {
        LONG err;
        REGDB* pReg = _OpenDb(&err);
        if (!pReg)
            return err;
        DWORD idx = (DWORD)((ULONG_PTR)hKey - 0x80000000u) + 1;
        pOut->dwMagic = REGHANDLE_MAGIC;
        pOut->pDb = pReg;
        pOut->idKey = idx;
        pOut->sam = KEY_ALL_ACCESS;
        pOut->sFold = std::u16string(1, (char16_t)(u'0' + idx));
        _CacheCheck(pReg);
        return ERROR_SUCCESS;
    }
    REGHANDLE* p = reinterpret_cast<REGHANDLE*>(hKey);
    if (!p || !g_handles.count(p) || p->dwMagic != REGHANDLE_MAGIC)
        return ERROR_INVALID_HANDLE;
    LONG err = _EnsureOpen(p->pDb);
    if (err != ERROR_SUCCESS)
        return err;
    *pOut = *p;
    _CacheCheck(p->pDb);
    return ERROR_SUCCESS;
}

bool _Denied(const std::u16string& sFold)
{
    return g_denied.count(sFold) != 0;
}

// Checks that the handle's key still exists inside an open transaction.
LONG _CheckAlive(const REGHANDLE& h)
{
    int rc = SQLITE_OK;
    int e = _KeyExists(h.pDb, h.idKey, &rc);
    if (e < 0)
        return _SqlError(rc, ERROR_CANTREAD);
    return e ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

REGHANDLE* _NewHandle(const REGHANDLE& base, sqlite3_int64 idKey, REGSAM sam, const std::u16string& sFold)
{
    REGHANDLE* p = new REGHANDLE;
    p->dwMagic = REGHANDLE_MAGIC;
    p->pDb = base.pDb;
    p->idKey = idKey;
    p->sam = (sam & MAXIMUM_ALLOWED) ? KEY_ALL_ACCESS : sam;
    p->sFold = sFold;
    g_handles.insert(p);
    ++p->pDb->cHandles;
    return p;
}

std::u16string _ChildFold(const std::u16string& sParentFold, const std::u16string& name)
{
    return sParentFold + u"\\" + _FoldString(name);
}

LONG _OpenOrCreate(HKEY hKey, LPCWSTR lpSubKey, REGSAM samDesired, bool bCreate, PHKEY phkResult,
                   LPDWORD lpdwDisposition)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    REGHANDLE h;
    LONG err = _Resolve(hKey, &h);
    if (err != ERROR_SUCCESS)
        return err;
    std::vector<std::u16string> parts;
    err = _SplitPath(lpSubKey, &parts);
    if (err != ERROR_SUCCESS)
        return err;

    // A path read before, to a key that exists, needs no transaction.
    if (_CacheOn(h.pDb)) {
        auto itAlive = h.pDb->alive.find(h.idKey);
        if (itAlive != h.pDb->alive.end()) {
            if (!itAlive->second)
                return ERROR_KEY_DELETED;
            sqlite3_int64 id = h.idKey;
            std::u16string sFold = h.sFold;
            bool bKnown = true;
            for (size_t i = 0; bKnown && i < parts.size(); ++i) {
                auto it = h.pDb->children.find(REGCACHEKEY(id, _FoldBytes(parts[i])));
                if (it == h.pDb->children.end())
                    bKnown = false;
                else if (it->second == 0) {
                    if (!bCreate)
                        return ERROR_FILE_NOT_FOUND;
                    bKnown = false;
                } else {
                    id = it->second;
                    sFold = _ChildFold(sFold, parts[i]);
                }
            }
            if (bKnown) {
                if (_Denied(sFold) && (samDesired & (REG_WRITE_RIGHTS | MAXIMUM_ALLOWED)))
                    return ERROR_ACCESS_DENIED;
                *phkResult = reinterpret_cast<HKEY>(_NewHandle(h, id, samDesired, sFold));
                if (lpdwDisposition)
                    *lpdwDisposition = REG_OPENED_EXISTING_KEY;
                return ERROR_SUCCESS;
            }
        }
    }

    REGTXN t;
    int rc = _Begin(&t, h.pDb, bCreate);
    if (rc != SQLITE_OK)
        return _SqlError(rc, bCreate ? ERROR_CANTWRITE : ERROR_CANTREAD);
    err = _CheckAlive(h);
    sqlite3_int64 id = h.idKey;
    std::u16string sFold = h.sFold;
    bool bCreated = false;
    for (size_t i = 0; err == ERROR_SUCCESS && i < parts.size(); ++i) {
        sqlite3_int64 child = _FindChild(h.pDb, id, parts[i], &rc);
        if (child < 0) {
            err = _SqlError(rc, ERROR_CANTREAD);
            break;
        }
        std::u16string sChildFold = _ChildFold(sFold, parts[i]);
        if (child == 0) {
            if (!bCreate) {
                err = ERROR_FILE_NOT_FOUND;
                break;
            }
            // Creating needs the right to add subkeys to the parent.
            if (_Denied(sFold) || (i == 0 && !(h.sam & KEY_CREATE_SUB_KEY))) {
                err = ERROR_ACCESS_DENIED;
                break;
            }
            sqlite3_stmt* st =
                _Stmt(h.pDb, "INSERT INTO regkey(parent, name, fold, mtime) VALUES(?1, ?2, ?3, ?4)", &rc);
            if (!st) {
                err = _SqlError(rc, ERROR_CANTWRITE);
                break;
            }
            std::string fold = _FoldBytes(parts[i]);
            sqlite3_bind_int64(st, 1, id);
            _BindBlob(st, 2, parts[i].data(), parts[i].size() * 2);
            _BindBlob(st, 3, fold.data(), fold.size());
            sqlite3_bind_int64(st, 4, (sqlite3_int64)_NowFileTime());
            rc = sqlite3_step(st);
            sqlite3_reset(st);
            if (rc != SQLITE_DONE) {
                err = _SqlError(rc, ERROR_CANTWRITE);
                break;
            }
            child = sqlite3_last_insert_rowid(h.pDb->pDb);
            bCreated = true;
        }
        id = child;
        sFold = sChildFold;
    }
    if (err == ERROR_SUCCESS && _Denied(sFold) && (samDesired & (REG_WRITE_RIGHTS | MAXIMUM_ALLOWED)))
        err = ERROR_ACCESS_DENIED;
    if (err == ERROR_SUCCESS && bCreate) {
        if (!bCreated)
            t.change = REGCHANGE_NONE;
        rc = _Commit(&t);
        if (rc != SQLITE_OK)
            err = _SqlError(rc, ERROR_CANTWRITE);
    }
    _EndTxn(&t);
    if (err != ERROR_SUCCESS)
        return err;
    *phkResult = reinterpret_cast<HKEY>(_NewHandle(h, id, samDesired, sFold));
    if (lpdwDisposition)
        *lpdwDisposition = bCreated ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

bool _ValueNameOk(LPCWSTR p)
{
    return _Str(p).size() <= REG_MAX_VALUE_NAME;
}

}  // namespace

LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass, DWORD dwOptions,
                     REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                     LPDWORD lpdwDisposition)
{
    return _OpenOrCreate(hKey, lpSubKey, samDesired, true, phkResult, lpdwDisposition);
}

LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult)
{
    return _OpenOrCreate(hKey, lpSubKey, samDesired, false, phkResult, nullptr);
}

LONG RegCloseKey(HKEY hKey)
{
    if (_IsRoot(hKey))
        return ERROR_SUCCESS;
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    REGHANDLE* p = reinterpret_cast<REGHANDLE*>(hKey);
    if (!p || !g_handles.erase(p))
        return ERROR_INVALID_HANDLE;
    --p->pDb->cHandles;
    p->dwMagic = 0;
    delete p;
    return ERROR_SUCCESS;
}

LONG RegFlushKey(HKEY hKey)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    REGHANDLE h;
    return _Resolve(hKey, &h);
}

LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData)
{
    if (lpData && !lpcbData)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    REGHANDLE h;
    LONG err = _Resolve(hKey, &h);
    if (err != ERROR_SUCCESS)
        return err;
    REGCACHEKEY vkey(h.idKey, _FoldBytes(_Str(lpValueName)));
    // Hands a value out as the caller asked for it.
    auto answer = [&](DWORD type, const void* data, DWORD cb) {
        LONG e = ERROR_SUCCESS;
        if (lpType)
            *lpType = type;
        if (lpData) {
            if (*lpcbData < cb)
                e = ERROR_MORE_DATA;
            else if (cb)
                memcpy(lpData, data, cb);
        }
        if (lpcbData)
            *lpcbData = cb;
        return e;
    };
    if (_CacheOn(h.pDb)) {
        auto itAlive = h.pDb->alive.find(h.idKey);
        auto itValue = h.pDb->values.find(vkey);
        if (itAlive != h.pDb->alive.end() && itValue != h.pDb->values.end()) {
            if (!itAlive->second)
                return ERROR_KEY_DELETED;
            const REGCACHEDVALUE& v = itValue->second;
            if (!v.bFound)
                return ERROR_FILE_NOT_FOUND;
            return answer(v.dwType, v.data.data(), (DWORD)v.data.size());
        }
    }
    REGTXN t;
    int rc = _Begin(&t, h.pDb, false);
    if (rc != SQLITE_OK)
        return _SqlError(rc, ERROR_CANTREAD);
    err = _CheckAlive(h);
    if (err == ERROR_SUCCESS) {
        sqlite3_stmt* st = _Stmt(h.pDb, "SELECT type, data FROM regvalue WHERE key=?1 AND fold=?2", &rc);
        if (!st) {
            err = _SqlError(rc, ERROR_CANTREAD);
        } else {
            sqlite3_bind_int64(st, 1, h.idKey);
            _BindBlob(st, 2, vkey.second.data(), vkey.second.size());
            rc = sqlite3_step(st);
            if (rc == SQLITE_ROW) {
                DWORD type = (DWORD)sqlite3_column_int64(st, 0);
                const char* data = static_cast<const char*>(sqlite3_column_blob(st, 1));
                DWORD cb = (DWORD)sqlite3_column_bytes(st, 1);
                err = answer(type, data, cb);
                if (_CacheOn(h.pDb))
                    h.pDb->values[vkey] = REGCACHEDVALUE{true, type, std::string(data ? data : "", cb)};
            } else if (rc == SQLITE_DONE) {
                err = ERROR_FILE_NOT_FOUND;
                if (_CacheOn(h.pDb))
                    h.pDb->values[vkey] = REGCACHEDVALUE{false, 0, std::string()};
            } else {
                err = _SqlError(rc, ERROR_CANTREAD);
            }
            sqlite3_reset(st);
        }
    }
    _EndTxn(&t);
    return err;
}

LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    if (!lpData && cbData)
        return ERROR_NOACCESS;
    if (!_ValueNameOk(lpValueName))
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    REGHANDLE h;
    LONG err = _Resolve(hKey, &h);
    if (err != ERROR_SUCCESS)
        return err;
    if (!(h.sam & KEY_SET_VALUE) || _Denied(h.sFold))
        return ERROR_ACCESS_DENIED;
    REGTXN t;
    int rc = _Begin(&t, h.pDb, true);
    if (rc != SQLITE_OK)
        return _SqlError(rc, ERROR_CANTWRITE);
    err = _CheckAlive(h);
    if (err == ERROR_SUCCESS) {
        // An existing value keeps its row, and so its place in the order.
        std::u16string name = _Str(lpValueName);
        std::string fold = _FoldBytes(name);
        sqlite3_stmt* st = _Stmt(h.pDb,
                                 "INSERT INTO regvalue(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
                                 " ON CONFLICT(key, fold) DO UPDATE SET type=excluded.type, data=excluded.data",
                                 &rc);
        if (st) {
            sqlite3_bind_int64(st, 1, h.idKey);
            _BindBlob(st, 2, name.data(), name.size() * 2);
            _BindBlob(st, 3, fold.data(), fold.size());
            sqlite3_bind_int64(st, 4, dwType);
            _BindBlob(st, 5, lpData, cbData);
            rc = sqlite3_step(st);
            sqlite3_reset(st);
            rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
        }
        if (rc == SQLITE_OK)
            rc = _Touch(h.pDb, h.idKey);
        if (rc == SQLITE_OK) {
            t.change = REGCHANGE_VALUE;
            t.vkey = REGCACHEKEY(h.idKey, fold);
            t.value = REGCACHEDVALUE{true, dwType,
                                     std::string(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0)};
            rc = _Commit(&t);
        }
        if (rc != SQLITE_OK)
            err = _SqlError(rc, ERROR_CANTWRITE);
    }
    _EndTxn(&t);
    return err;
}

LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    REGHANDLE h;
    LONG err = _Resolve(hKey, &h);
    if (err != ERROR_SUCCESS)
        return err;
    if (!(h.sam & KEY_SET_VALUE) || _Denied(h.sFold))
        return ERROR_ACCESS_DENIED;
    REGTXN t;
    int rc = _Begin(&t, h.pDb, true);
    if (rc != SQLITE_OK)
        return _SqlError(rc, ERROR_CANTWRITE);
    err = _CheckAlive(h);
    if (err == ERROR_SUCCESS) {
        std::string fold = _FoldBytes(_Str(lpValueName));
        sqlite3_stmt* st = _Stmt(h.pDb, "DELETE FROM regvalue WHERE key=?1 AND fold=?2", &rc);
        if (st) {
            sqlite3_bind_int64(st, 1, h.idKey);
            _BindBlob(st, 2, fold.data(), fold.size());
            rc = sqlite3_step(st);
            sqlite3_reset(st);
            rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
        }
        if (rc == SQLITE_OK && sqlite3_changes(h.pDb->pDb) == 0)
            err = ERROR_FILE_NOT_FOUND;
        if (rc == SQLITE_OK && err == ERROR_SUCCESS)
            rc = _Touch(h.pDb, h.idKey);
        if (rc == SQLITE_OK && err == ERROR_SUCCESS) {
            t.change = REGCHANGE_VALUE;
            t.vkey = REGCACHEKEY(h.idKey, fold);
            t.value = REGCACHEDVALUE{false, 0, std::string()};
            rc = _Commit(&t);
        }
        if (rc != SQLITE_OK)
            err = _SqlError(rc, ERROR_CANTWRITE);
    }
    _EndTxn(&t);
    return err;
}

LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey)
{
    if (!lpSubKey)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    REGHANDLE h;
    LONG err = _Resolve(hKey, &h);
    if (err != ERROR_SUCCESS)
        return err;
    std::vector<std::u16string> parts;
    err = _SplitPath(lpSubKey, &parts);
    if (err != ERROR_SUCCESS)
        return err;
    REGTXN t;
    int rc = _Begin(&t, h.pDb, true);
    if (rc != SQLITE_OK)
        return _SqlError(rc, ERROR_CANTWRITE);
    err = _CheckAlive(h);
    sqlite3_int64 id = h.idKey;
    std::u16string sFold = h.sFold;
    for (size_t i = 0; err == ERROR_SUCCESS && i < parts.size(); ++i) {
        sqlite3_int64 child = _FindChild(h.pDb, id, parts[i], &rc);
        if (child < 0)
            err = _SqlError(rc, ERROR_CANTREAD);
        else if (child == 0)
            err = ERROR_FILE_NOT_FOUND;
        id = child;
        sFold = _ChildFold(sFold, parts[i]);
    }
    if (err == ERROR_SUCCESS && (id <= 4 || _Denied(sFold)))
        err = ERROR_ACCESS_DENIED;
    if (err == ERROR_SUCCESS) {
        sqlite3_stmt* st = _Stmt(h.pDb, "SELECT 1 FROM regkey WHERE parent=?1 LIMIT 1", &rc);
        if (!st) {
            err = _SqlError(rc, ERROR_CANTREAD);
        } else {
            sqlite3_bind_int64(st, 1, id);
            rc = sqlite3_step(st);
            sqlite3_reset(st);
            if (rc == SQLITE_ROW)
                err = ERROR_ACCESS_DENIED;  // the platform deletes only leaf keys
            else if (rc != SQLITE_DONE)
                err = _SqlError(rc, ERROR_CANTREAD);
        }
    }
    if (err == ERROR_SUCCESS) {
        rc = _Exec(h.pDb, "DELETE FROM regvalue WHERE key=?1", {id});
        if (rc == SQLITE_OK)
            rc = _Exec(h.pDb, "DELETE FROM regkey WHERE id=?1", {id});
        if (rc == SQLITE_OK)
            rc = _Commit(&t);
        if (rc != SQLITE_OK)
            err = _SqlError(rc, ERROR_CANTWRITE);
    }
    _EndTxn(&t);
    return err;
}

LONG RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved, LPWSTR lpClass,
                   LPDWORD lpcchClass, FILETIME* lpftLastWriteTime)
{
    if (!lpName || !lpcchName)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    REGHANDLE h;
    LONG err = _Resolve(hKey, &h);
    if (err != ERROR_SUCCESS)
        return err;
    REGTXN t;
    int rc = _Begin(&t, h.pDb, false);
    if (rc != SQLITE_OK)
        return _SqlError(rc, ERROR_CANTREAD);
    err = _CheckAlive(h);
    if (err == ERROR_SUCCESS) {
        sqlite3_stmt* st =
            _Stmt(h.pDb, "SELECT name, mtime FROM regkey WHERE parent=?1 ORDER BY fold LIMIT 1 OFFSET ?2", &rc);
        if (!st) {
            err = _SqlError(rc, ERROR_CANTREAD);
        } else {
            sqlite3_bind_int64(st, 1, h.idKey);
            sqlite3_bind_int64(st, 2, dwIndex);
            rc = sqlite3_step(st);
            if (rc == SQLITE_ROW) {
                const void* name = sqlite3_column_blob(st, 0);
                DWORD cch = (DWORD)sqlite3_column_bytes(st, 0) / 2;
                ULONGLONG ft = (ULONGLONG)sqlite3_column_int64(st, 1);
                if (*lpcchName < cch + 1) {
                    err = ERROR_MORE_DATA;
                } else {
                    if (cch)
                        memcpy(lpName, name, cch * 2);
                    lpName[cch] = 0;
                    *lpcchName = cch;
                    if (lpClass && lpcchClass && *lpcchClass)
                        lpClass[0] = 0;
                    if (lpcchClass)
                        *lpcchClass = 0;
                    if (lpftLastWriteTime) {
                        lpftLastWriteTime->dwLowDateTime = (DWORD)ft;
                        lpftLastWriteTime->dwHighDateTime = (DWORD)(ft >> 32);
                    }
                }
            } else if (rc == SQLITE_DONE) {
                err = ERROR_NO_MORE_ITEMS;
            } else {
                err = _SqlError(rc, ERROR_CANTREAD);
            }
            sqlite3_reset(st);
        }
    }
    _EndTxn(&t);
    return err;
}

LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    if (!lpValueName || !lpcchValueName || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    REGHANDLE h;
    LONG err = _Resolve(hKey, &h);
    if (err != ERROR_SUCCESS)
        return err;
    REGTXN t;
    int rc = _Begin(&t, h.pDb, false);
    if (rc != SQLITE_OK)
        return _SqlError(rc, ERROR_CANTREAD);
    err = _CheckAlive(h);
    if (err == ERROR_SUCCESS) {
        sqlite3_stmt* st =
            _Stmt(h.pDb, "SELECT name, type, data FROM regvalue WHERE key=?1 ORDER BY id LIMIT 1 OFFSET ?2", &rc);
        if (!st) {
            err = _SqlError(rc, ERROR_CANTREAD);
        } else {
            sqlite3_bind_int64(st, 1, h.idKey);
            sqlite3_bind_int64(st, 2, dwIndex);
            rc = sqlite3_step(st);
            if (rc == SQLITE_ROW) {
                const void* name = sqlite3_column_blob(st, 0);
                DWORD cch = (DWORD)sqlite3_column_bytes(st, 0) / 2;
                DWORD type = (DWORD)sqlite3_column_int64(st, 1);
                const void* data = sqlite3_column_blob(st, 2);
                DWORD cb = (DWORD)sqlite3_column_bytes(st, 2);
                if (*lpcchValueName < cch + 1 || (lpData && *lpcbData < cb)) {
                    err = ERROR_MORE_DATA;
                } else {
                    if (cch)
                        memcpy(lpValueName, name, cch * 2);
                    lpValueName[cch] = 0;
                    *lpcchValueName = cch;
                    if (lpData && cb)
                        memcpy(lpData, data, cb);
                }
                if (lpType)
                    *lpType = type;
                if (lpcbData)
                    *lpcbData = cb;
            } else if (rc == SQLITE_DONE) {
                err = ERROR_NO_MORE_ITEMS;
            } else {
                err = _SqlError(rc, ERROR_CANTREAD);
            }
            sqlite3_reset(st);
        }
    }
    _EndTxn(&t);
    return err;
}

LONG RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                      LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                      FILETIME* lpftLastWriteTime)
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    REGHANDLE h;
    LONG err = _Resolve(hKey, &h);
    if (err != ERROR_SUCCESS)
        return err;
    REGTXN t;
    int rc = _Begin(&t, h.pDb, false);
    if (rc != SQLITE_OK)
        return _SqlError(rc, ERROR_CANTREAD);
    err = _CheckAlive(h);
    sqlite3_int64 nKeys = 0, cchMaxKey = 0, nValues = 0, cchMaxValueName = 0, cbMaxValue = 0, mtime = 0;
    if (err == ERROR_SUCCESS) {
        sqlite3_stmt* st = _Stmt(h.pDb,
                                 "SELECT (SELECT count(*) FROM regkey WHERE parent=?1),"
                                 " (SELECT ifnull(max(length(name)), 0) FROM regkey WHERE parent=?1),"
                                 " (SELECT count(*) FROM regvalue WHERE key=?1),"
                                 " (SELECT ifnull(max(length(name)), 0) FROM regvalue WHERE key=?1),"
                                 " (SELECT ifnull(max(length(data)), 0) FROM regvalue WHERE key=?1),"
                                 " (SELECT mtime FROM regkey WHERE id=?1)",
                                 &rc);
        if (!st) {
            err = _SqlError(rc, ERROR_CANTREAD);
        } else {
            sqlite3_bind_int64(st, 1, h.idKey);
            rc = sqlite3_step(st);
            if (rc == SQLITE_ROW) {
                nKeys = sqlite3_column_int64(st, 0);
                cchMaxKey = sqlite3_column_int64(st, 1) / 2;
                nValues = sqlite3_column_int64(st, 2);
                cchMaxValueName = sqlite3_column_int64(st, 3) / 2;
                cbMaxValue = sqlite3_column_int64(st, 4);
                mtime = sqlite3_column_int64(st, 5);
            } else {
                err = _SqlError(rc, ERROR_CANTREAD);
            }
            sqlite3_reset(st);
        }
    }
    _EndTxn(&t);
    if (err != ERROR_SUCCESS)
        return err;
    if (lpClass && lpcchClass && *lpcchClass)
        lpClass[0] = 0;
    if (lpcchClass)
        *lpcchClass = 0;
    if (lpcSubKeys)
        *lpcSubKeys = (DWORD)nKeys;
    if (lpcbMaxSubKeyLen)
        *lpcbMaxSubKeyLen = (DWORD)cchMaxKey;
    if (lpcbMaxClassLen)
        *lpcbMaxClassLen = 0;
    if (lpcValues)
        *lpcValues = (DWORD)nValues;
    if (lpcbMaxValueNameLen)
        *lpcbMaxValueNameLen = (DWORD)cchMaxValueName;
    if (lpcbMaxValueLen)
        *lpcbMaxValueLen = (DWORD)cbMaxValue;
    if (lpcbSecurityDescriptor)
        *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime) {
        lpftLastWriteTime->dwLowDateTime = (DWORD)mtime;
        lpftLastWriteTime->dwHighDateTime = (DWORD)((ULONGLONG)mtime >> 32);
    }
    return ERROR_SUCCESS;
}

void PlatRegDenyAccess(HKEY hRoot, LPCWSTR lpSubKey, BOOL bDeny)
{
    if (!_IsRoot(hRoot))
        return;
    std::vector<std::u16string> parts;
    if (_SplitPath(lpSubKey, &parts) != ERROR_SUCCESS)
        return;
    std::u16string sFold(1, (char16_t)(u'0' + (DWORD)((ULONG_PTR)hRoot - 0x80000000u) + 1));
    for (const std::u16string& p : parts)
        sFold = _ChildFold(sFold, p);
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    if (bDeny)
        g_denied.insert(sFold);
    else
        g_denied.erase(sFold);
}

void PlatRegClearDenials()
{
    std::lock_guard<std::recursive_mutex> lock(g_lock);
    g_denied.clear();
}
