#include "GbkText.h"

#include <cerrno>
#include <iconv.h>

namespace fv::cli {

std::string gbkToUtf8(std::string_view gbk) {
    bool ascii = true;
    for (char c : gbk) ascii = ascii && (unsigned char)c < 0x80;
    if (ascii) return std::string(gbk);

    static iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == iconv_t(-1)) return std::string(gbk);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char buf[256];
    char* in = const_cast<char*>(gbk.data());
    size_t inLeft = gbk.size();
    while (inLeft > 0) {
        char* o = buf;
        size_t oLeft = sizeof buf;
        size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buf, size_t(o - buf));
        if (r == size_t(-1) && errno != E2BIG) {
            out += "\xEF\xBF\xBD";  // a byte that is not GBK
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

}  // namespace fv::cli
