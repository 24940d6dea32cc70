namespace dw { class ProfileFiles; ProfileFiles* Win32ProfileFiles(); }
