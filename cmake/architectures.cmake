# What the project knows of each Debian architecture beyond what
# dpkg-architecture tells (the compiler's and the libraries' triplets): the
# qemu-user program that runs its programs on this machine, and the machine
# that readelf names in its programs' ELF header. Debian 13 releases all eight;
# .ci/cross.sh builds for those that the release's security archive carries.
set(brivolt_arch_amd64 x86_64 "Advanced Micro Devices X86-64")
set(brivolt_arch_arm64 aarch64 AArch64)
set(brivolt_arch_armel arm ARM)
set(brivolt_arch_armhf arm ARM)
set(brivolt_arch_i386 i386 "Intel 80386")
set(brivolt_arch_ppc64el ppc64le PowerPC64)
set(brivolt_arch_riscv64 riscv64 "RISC-V")
set(brivolt_arch_s390x s390x "IBM S/390")
