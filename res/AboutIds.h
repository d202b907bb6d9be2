// Control identifiers of the about box.
#pragma once

enum AboutControlId {
  IDI_ImageMain = 2101,
  IDT_LabelTitle = 2102,
  IDT_LabelVersion = 2103,
  IDT_LabelCopyLeft = 2104,
  IDT_Label2 = 2105,
  IDT_Label3 = 2106,
  IDT_Label1 = 2107,
  IDT_Label4 = 2108,
  IDB_BtnCancel = 2109,
};
