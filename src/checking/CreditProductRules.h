#pragma once
// The credit record's rules that depend on how a payment travels, run by
// CheckCreditRecord at two places of its order: the delivery rules after the Y/N flags,
// the product rules after the notification rule.
#include "checking/RuleReporter.h"

#include <string_view>

namespace tallivo {

// Delivery mode for cheque and transfer products, pickup location for every product.
void CheckCreditDeliveryRules(RuleReporter& r, const Fields& f, std::string_view product);
// Receiving bank, BahtNet, cheque and credit account rules.
void CheckCreditProductRules(RuleReporter& r, const Fields& f, std::string_view product,
                             std::string_view creditAccount);

} // namespace tallivo
