namespace dw { class ProfileFiles; ProfileFiles* PosixProfileFiles(); }
