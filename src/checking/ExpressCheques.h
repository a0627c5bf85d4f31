#pragma once
#include <string>
#include <string_view>

namespace tallivo {

// True when more than 20 credit records stand under "XMQ" debits, or more than 20
// under "XDQ" debits.
bool ExceedsExpressChequeLimit(const std::string& path);

// The same count, line by line, for a read that serves other checks too.
class ExpressChequeCount
{
public:
    void Add(std::string_view line);
    bool ExceedsLimit() const;
    // Takes on the count of the lines after those added here, which start with a debit record.
    void Append(const ExpressChequeCount& later);

private:
    std::string m_productHeld; // the product code of the debit record last met
    int m_xmq = 0;
    int m_xdq = 0;
};

} // namespace tallivo
