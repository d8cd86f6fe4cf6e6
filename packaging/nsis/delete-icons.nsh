  ; Only the shortcuts go; the settings folder and the scripts in it are the
  ; user's and stay.
  Delete "$SMPROGRAMS\$MUI_TEMP\KELT-9R Control Panel.lnk"
  Delete "$SMPROGRAMS\$MUI_TEMP\KELT-9R Terminal.lnk"
