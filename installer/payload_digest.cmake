# Writes the SHA-256 of the file PAYLOAD to OUTPUT as 64 lower-case hexadecimal digits, no
# line end: the installer proves with it that the payload it copies is its own.
#   cmake -DPAYLOAD=<file> -DOUTPUT=<file> -P payload_digest.cmake
file(SHA256 "${PAYLOAD}" digest)
file(WRITE "${OUTPUT}" "${digest}")
