// Control identifiers of the three address dialogs (IP address and mask,
// gateway and metric, one address). End-to-end tests find the boxes by these
// numbers, so keep them stable. OK and キャンセル are IDOK and IDCANCEL, so
// that Enter and Escape press them.
#pragma once

enum AddressDialogControlId {
  IDE_EditIP1 = 101,
  IDE_EditIP2 = 102,
  IDE_EditIP3 = 103,
  IDE_EditIP4 = 104,
  IDE_EditIP5 = 105,  // first mask box, or the metric box
  IDE_EditIP6 = 106,
  IDE_EditIP7 = 107,
  IDE_EditIP8 = 108,
  IDP_PanelAddress = 110,
  IDP_PanelMask = 111,
  IDT_LabelFirst = 120,   // LabelIPAddr, LabelGatewayAddr, LabelAddress
  IDT_LabelSecond = 121,  // LabelNetMask, LabelMetric
};
