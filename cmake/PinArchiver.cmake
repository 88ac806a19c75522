# cmake -DARCHIVER=file -DTEMPLATE=archiver_pin.h.in -DOUT=archiver_pin.h -P PinArchiver.cmake
file(SHA256 ${ARCHIVER} ARCHIVER_SHA256)
configure_file(${TEMPLATE} ${OUT} @ONLY)
