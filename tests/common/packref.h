// packref.h: the run-length coder of the image writers byte by byte, as a
// state machine over pending literal and repeat counts: what the writers'
// coder must give for every row.
#pragma once

#include <string>
#include <vector>

inline std::string ReferencePack(const std::string& in)
{
    std::string out;
    auto repeat = [&](char b, int r) { out += (char)(r == 1 ? 0 : 1 - r); out += b; };
    auto literal = [&](size_t at, int n) { out += (char)(n - 1); out += in.substr(at, n); };
    int L = 0, R = 0;
    char prev = in.empty() ? 0 : in[0];
    for (size_t i = 0; i < in.size(); ++i) {
        char b = in[i];
        if (b == prev) {
            if (L > 0) {
                if (L > 1)
                    literal(i - L, L - 1);
                R = 1;
                L = 0;
            }
            if (R == 128) {
                repeat(prev, 128);
                R = 0;
            }
            ++R;
        } else {
            if (R > 0) {
                repeat(prev, R);
                R = 0;
            }
            if (L == 128) {
                literal(i - 128, 128);
                L = 0;
            }
            ++L;
        }
        prev = b;
    }
    if (R > 0)
        repeat(prev, R);
    else if (L > 0)
        literal(in.size() - L, L);
    return out;
}

// The commands an unscaled image of these rows (all of one length) goes out
// as at (x, y): coded when the coded rows are shorter than the raw ones.
inline std::string ReferenceImage(int nBits, long x, long y, long cx,
                                  const std::vector<std::string>& rows)
{
    std::string coded, raw;
    for (const std::string& r : rows) {
        coded += ReferencePack(r);
        raw += r;
    }
    bool bCoded = coded.size() < raw.size();
    size_t cbRow = rows.empty() ? 0 : rows[0].size();
    return "mta " + std::to_string(x) + " " + std::to_string(y) + ";\n" +
           (bCoded ? "imt " : "imm ") + std::to_string(nBits) + " " + std::to_string(cx) + " " +
           std::to_string(rows.size()) + " " + std::to_string(cbRow) + " " +
           std::to_string(bCoded ? coded.size() : raw.size()) + " <!" + (bCoded ? coded : raw) +
           "!>;\n";
}
