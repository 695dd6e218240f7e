// A host room rate with the host's configured taxes added.
#include "data/OtaGfgIni.h"

namespace corvenna {
namespace {

// rate is a percentage held as money: 10 % is 10.0000.
Currency TaxOf(Currency amount, Currency rate) {
  const long double raw = static_cast<long double>(amount.raw) * static_cast<long double>(rate.raw) / 100.0L / 10000.0L;
  return Currency::FromRaw(RoundHalfEven(raw));
}

}  // namespace

Currency AddTaxes(Currency amount) {
  const bool inclusive = ReadGSTInclusive();
  TGSTCodes codes, descriptions;
  TGSTRates rates;
  ReadGSTCodes(codes, rates, descriptions);
  bool addTax2 = false, addTax3 = false, addTax4 = false;
  ReadAddTaxes(addTax2, addTax3, addTax4);
  const bool fixedTaxFirst = ReadFixedTaxFirst();
  const bool cumulative = ReadCumulativeTax();
  const bool fixedInPercent = ReadFixedInPercent();
  const Currency r1 = rates[0], r5 = rates[4], r6 = rates[5];

  if (inclusive) return amount;
  if (r1.raw == 0) {
    addTax2 = false;
    addTax3 = false;
    addTax4 = ReadAlwaysAddFixedTax();
  }

  Currency fixedTax{}, gst{}, secondTax{}, thirdTax{};
  bool fixedTaxCounted = false;
  if (addTax4) {
    const Currency fixed = ReadFixedTax();
    fixedTax = fixedInPercent ? TaxOf(amount, fixed) : fixed;
    if (fixedTaxFirst && cumulative) {
      amount += fixedTax;
      fixedTaxCounted = true;
    }
  }
  gst = TaxOf(amount, r1);
  if (cumulative) amount += gst;
  if (addTax2) {
    secondTax = TaxOf(amount, r5);
    if (cumulative) amount += secondTax;
  }
  if (addTax3) thirdTax = TaxOf(amount, r6);

  Currency result = amount;
  if (!cumulative) {
    result += gst;
    if (addTax2) result += secondTax;
  }
  if (addTax3) result += thirdTax;
  // A configured fixed tax is never dropped, also when a third tax applies.
  if (addTax4 && !fixedTaxCounted) result += fixedTax;
  return result;
}

}  // namespace corvenna
