#!/usr/bin/python3
"""Checks `nimbrel-pack embed` on a built launcher with an independent PE reader (Debian's
python3-pefile, which serves /usr/bin/python3) and the project's CheckExecutable.py:

- the output's headers, section layout, checksum and resource tree, against the launcher the
  linker built with the same payload (resources equal, everything before the resources equal);
- the same bytes from a launcher that already carries another payload, from the files pack made
  of the folder, and with the icon and versions it already has given again (then the resources
  are the linker's);
- versions and a new icon on the real template: its other strings kept, every old icon gone;
- refusals (signed, output naming the input, a damaged payload in check's words), each with its
  exit code, its message and no output file (damaged and unsuitable templates: the host tests);
- a signed output (osslsigncode, throw-away certificate) that verifies and that check and list
  still read; a payload of about 60 MB.
With --wine, also under Wine: the Windows nimbrel-pack gives the same bytes, and the signed and
the 60 MB launchers start and write their payload.

Prints what it measured and one line per failure; exits 1 if anything failed.
"""

import argparse
import glob
import hashlib
import os
import random
import shutil
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import CheckExecutable  # noqa: E402 (beside this file; its resource constants and header reader)

try:
    import pefile
except ImportError:
    print("EmbedCheck: python3-pefile is missing (scripts/setup installs it); run with /usr/bin/python3")
    sys.exit(1)

failures = []

# Folders are packed at a low level here: the level changes the frames, not how they are laid out,
# and level 19 would cost most of the run.
FOLDER_LEVEL = "3"


def fail(message):
    failures.append(message)
    print(f"FAIL: {message}")


def expect(condition, message):
    if not condition:
        fail(message)
    return condition


def run(args, **kwargs):
    return subprocess.run([str(a) for a in args], capture_output=True, text=True, **kwargs)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def resources(pe):
    """{(type, id, language): (bytes, code page)} of every resource pefile finds."""
    found = {}
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return found
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for ident in kind.directory.entries:
            for language in ident.directory.entries:
                data = language.data.struct
                found[(kind.id, ident.id, language.id)] = (
                    pe.get_data(data.OffsetToData, data.Size), data.CodePage)
    return found


def align(value, alignment):
    return (value + alignment - 1) // alignment * alignment


class Embedder:
    def __init__(self, pack, work):
        self.pack, self.work, self.timings = pack, work, {}

    def embed(self, name, launcher, payload, *options, expect_code=0):
        """Runs embed into WORK/name; payload is a folder or a (manifest, blob) pair."""
        out = os.path.join(self.work, name)
        if os.path.exists(out):
            os.remove(out)
        source = ["--manifest", payload[0], "--blob", payload[1]] if isinstance(payload, tuple) \
            else [payload]
        start = time.monotonic()
        result = run([self.pack, "embed", launcher, *source, "-o", out, *options])
        self.timings[name] = time.monotonic() - start
        if result.returncode != expect_code:
            fail(f"embed {name} exited {result.returncode}, expected {expect_code}: "
                 f"{result.stderr.strip()[-600:]}")
        return out, result


def check_layout(path, template_path, pe_name):
    """The rebuilt image against the launcher it came from: everything before the resources
    unchanged, later sections moved whole, the headers right, no overlay, a right checksum. The
    relocation entry and SizeOfImage after the move: tests/packer/EmbedImageTest.cpp."""
    pe, old = pefile.PE(path), pefile.PE(template_path)
    for warning in pe.get_warnings():
        fail(f"{pe_name}: pefile warns: {warning}")
    expect(pe.verify_checksum(), f"{pe_name}: the PE checksum is wrong")
    expect(pe.get_overlay_data_start_offset() is None, f"{pe_name}: bytes follow the last section")
    opt = pe.OPTIONAL_HEADER
    expect(opt.SectionAlignment == old.OPTIONAL_HEADER.SectionAlignment and
           opt.FileAlignment == old.OPTIONAL_HEADER.FileAlignment,
           f"{pe_name}: the alignments changed")
    names = [s.Name.rstrip(b"\0") for s in pe.sections]
    expect(names == [s.Name.rstrip(b"\0") for s in old.sections], f"{pe_name}: sections {names}")
    rsrc = names.index(b".rsrc")
    for i, (new, was) in enumerate(zip(pe.sections, old.sections)):
        if i < rsrc:
            expect(new.__pack__() == was.__pack__() and new.get_data() == was.get_data(),
                   f"{pe_name}: section {names[i]} changed")
        elif i > rsrc:
            expect(new.get_data() == was.get_data() and new.Misc_VirtualSize == was.Misc_VirtualSize,
                   f"{pe_name}: section {names[i]} changed while moving")
        if i > 0:
            before = pe.sections[i - 1]
            expect(new.VirtualAddress == align(before.VirtualAddress + before.Misc_VirtualSize,
                                               opt.SectionAlignment),
                   f"{pe_name}: section {names[i]} does not follow {names[i - 1]} in memory")
            stored = [s for s in pe.sections[:i] if s.SizeOfRawData]
            expect(not new.SizeOfRawData or new.PointerToRawData ==
                   stored[-1].PointerToRawData + stored[-1].SizeOfRawData,
                   f"{pe_name}: section {names[i]} does not follow the one before it in the file")
    section = pe.sections[rsrc]
    grown = section.SizeOfRawData - old.sections[rsrc].SizeOfRawData
    expect(opt.SizeOfInitializedData == old.OPTIONAL_HEADER.SizeOfInitializedData + grown,
           f"{pe_name}: SizeOfInitializedData is wrong")
    directory = opt.DATA_DIRECTORY
    expect((directory[2].VirtualAddress, directory[2].Size) ==
           (section.VirtualAddress, section.Misc_VirtualSize),
           f"{pe_name}: the resource directory entry does not cover .rsrc")
    return pe


def check_executable(args, path, manifest="", blob="", icon=True):
    command = [sys.executable, args.check_executable, "--exe", path, "--objdump", args.objdump,
               "--machine", args.machine, "--mappable"]
    if icon:
        command += ["--icon", args.icon, "--app-manifest", args.app_manifest, "--ids", args.ids,
                    "--version-header", args.version_header]
    if manifest:
        command += ["--payload-manifest", manifest, "--payload-blob", blob]
    result = run(command)
    expect(result.returncode == 0, f"CheckExecutable on {os.path.basename(path)}: "
                                   f"{result.stdout.strip()}")


def make_icon(path):
    """An icon file with two images: a 16x16 32-bit DIB with its mask and a 64x64 PNG stand-in."""
    dib = struct.pack("<IiiHHIIiiII", 40, 16, 32, 1, 32, 0, 0, 0, 0, 0, 0) + \
        bytes(range(256)) * 4 + b"\0" * 64
    png = b"\x89PNG\r\n\x1a\n" + b"\0\0\0\rIHDR" + struct.pack(">IIBBBBB", 64, 64, 8, 6, 0, 0, 0)
    images = [(16, 16, 32, dib), (64, 64, 32, png)]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for width, height, bits, image in images:
        data += struct.pack("<BBBBHHII", width, height, 0, 0, 1, bits, len(image), offset)
        offset += len(image)
    write(path, data + b"".join(image for *_, image in images))


def version_strings(pe):
    strings = {}
    for info in pe.FileInfo[0]:
        for table in getattr(info, "StringTable", []):
            strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    return strings


def check_version_and_icon(pe, template):
    """What only the real template shows: its other version strings kept beside the new
    versions, and all its icons (more than the new file has) replaced. The host tests
    (tests/packer/EmbedImageTest.cpp) prove the fixed versions and each image's bytes."""
    strings = version_strings(pe)
    expect(strings == dict(version_strings(template), FileVersion="2025.2.3.4",
                           ProductVersion="2025.2.0.0"), f"version strings {strings}")
    found = resources(pe)
    group = found[(CheckExecutable.RT_GROUP_ICON, CheckExecutable.ICON_GROUP,
                   CheckExecutable.LANGUAGE)][0]
    count = struct.unpack_from("<H", group, 4)[0]
    numbers = [struct.unpack_from("<H", group, 6 + 14 * i + 12)[0] for i in range(count)]
    icons = sorted(k[1] for k in found if k[0] == CheckExecutable.RT_ICON)
    expect(numbers == [1, 2] and icons == [1, 2],
           f"icon group lists {numbers}, RT_ICON ids {icons}")


def check_refusals(args, embedder, payload, sign):
    # Damaged and unsuitable templates are refused in the host tests (tests/packer/
    # EmbedImageTest.cpp); here the built tool refuses a really signed one, writing nothing.
    work = args.work
    template = args.launcher
    signed = sign(template, os.path.join(work, "signed-template.exe"))
    out, result = embedder.embed("refused.exe", signed, payload, expect_code=1)
    expect("is signed" in result.stderr and "nothing written" in result.stderr and
           not os.path.exists(out), f"refusal of a signed launcher said: {result.stderr.strip()}")
    print(f"refused (signed): exit {result.returncode}: {result.stderr.strip().splitlines()[0]}")
    # A signed launcher is taken once its signature may go; the output is the unsigned one's.
    stripped, _ = embedder.embed("stripped.exe", signed, payload, "--strip-signature")
    expect(read(stripped) == read(os.path.join(work, "full.exe")),
           "embed --strip-signature of the signed launcher differs from embed of the unsigned one")

    copy = os.path.join(work, "input.exe")
    shutil.copyfile(template, copy)
    result = run([args.pack, "embed", copy, "--manifest", payload[0], "--blob", payload[1],
                  "-o", copy])
    expect(result.returncode == 2 and read(copy) == read(template) and
           "names the launcher" in result.stderr, f"-o naming the input: {result.stderr.strip()}")
    print(f"refused (-o names the input): exit {result.returncode}: {result.stderr.strip()}")

    bad, damaged = os.path.join(work, "bad-manifest.bin"), bytearray(read(payload[0]))
    damaged[9] ^= 0x40
    write(bad, bytes(damaged))
    check = run([args.pack, "check", "--manifest", bad, "--blob", payload[1]])
    out, result = embedder.embed("refused.exe", template, (bad, payload[1]), expect_code=1)
    said = check.stderr.replace("nimbrel-pack check:", "nimbrel-pack embed:").strip()
    expect(check.returncode == 1 and said and said in result.stderr and not os.path.exists(out),
           f"a damaged payload: check said {check.stderr.strip()!r}, embed {result.stderr.strip()!r}")
    print(f"refused (damaged payload): exit {result.returncode}: {said}")


def check_temporaries(args, payload, full, small, small_dir):
    """Files named like embed's temporary files are never touched; two runs at once into one
    output each end with their own whole output or a clear error."""
    work = os.path.join(args.work, "temporaries")
    os.makedirs(work)
    out = os.path.join(work, "OUT.exe")
    source = ["--manifest", payload[0], "--blob", payload[1]]
    user = os.path.join(work, "OUT.exe.partial")
    write(user, b"the user's own file")
    result = run([args.pack, "embed", args.launcher, *source, "-o", out])
    expect(result.returncode == 0 and read(user) == b"the user's own file" and
           read(out) == read(full), f"embed beside a user's OUT.exe.partial: {result.stderr.strip()}")
    os.remove(user)

    launcher = os.path.join(work, "launcher.exe")
    shutil.copyfile(args.launcher, launcher)
    os.symlink(launcher, user)
    result = run([args.pack, "embed", launcher, *source, "-o", out])
    expect(result.returncode == 0 and read(launcher) == read(args.launcher) and
           os.path.islink(user) and read(out) == read(full),
           f"embed beside an OUT.exe.partial link to the launcher: {result.stderr.strip()}")
    os.remove(user)

    os.rename(launcher, user)
    os.remove(out)
    result = run([args.pack, "embed", user, *source, "-o", out])
    expect(result.returncode == 0 and read(user) == read(args.launcher) and
           read(out) == read(full), f"embed of a launcher named OUT.exe.partial: "
           f"{result.stderr.strip()}")

    for name in ("", work, work + "/"):
        result = run([args.pack, "embed", args.launcher, *source, "-o", name])
        expect(result.returncode == 2 and ("empty" in result.stderr or
                                           "names a folder" in result.stderr),
               f"embed -o {name!r}: exit {result.returncode}: {result.stderr.strip()[:300]}")

    # Two runs with different payloads race into one output, again and again.
    wanted = {read(full): "full", read(small): "small"}
    for round_ in range(6):
        runs = [subprocess.Popen([args.pack, "embed", args.launcher, *src, "-o", out],
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
                for src in (source, [small_dir])]
        ends = [(r.wait(), r.stderr.read()) for r in runs]
        for code, said in ends:
            expect(code == 0 or (code == 2 and "cannot be" in said),
                   f"race {round_}: an embed exited {code}: {said.strip()[-300:]}")
        expect(read(out) in wanted, f"race {round_}: the output is neither run's whole output")
    leftovers = sorted(set(os.listdir(work)) - {"OUT.exe", "OUT.exe.partial"})
    expect(not leftovers, f"embed left files behind: {leftovers}")
    print("temporaries: a user's OUT.exe.partial, a link of that name and a launcher of that "
          "name are untouched; -o '' and a folder are refused; 6 races ended whole")


def check_embed_memory(args, big, big_dir):
    """embed's peak memory is about its output plus the largest input file twice (read, then
    decoded by the payload check beside its compressed copy), not a multiple of the output."""
    out = os.path.join(args.work, "memory.exe")
    process = subprocess.Popen([args.pack, "embed", args.launcher, big_dir, "--level", "1",
                                "--jobs", "1", "-o", out],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    peak = usage.ru_maxrss * 1024
    largest = max(file_sizes(big_dir).values())
    bound = os.path.getsize(big) + 2 * largest + 64_000_000
    expect(status == 0 and read(out) == read(big) and peak <= bound,
           f"embed's peak memory {peak} bytes, bound {bound} (status {status})")
    print(f"embed's peak memory: {peak / 1e6:.0f} MB for a {os.path.getsize(big) / 1e6:.0f} MB "
          f"output and a largest file of {largest / 1e6:.0f} MB (bound {bound / 1e6:.0f} MB)")
    os.remove(out)


def make_signer(work):
    key, cert = os.path.join(work, "key.pem"), os.path.join(work, "cert.pem")
    made = run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out",
                cert, "-days", "2", "-subj", "/CN=Nimbrel throw-away test signer"])
    expect(made.returncode == 0, f"openssl req: {made.stderr.strip()[-300:]}")

    def sign(source, target):
        if os.path.exists(target):
            os.remove(target)
        signed = run(["osslsigncode", "sign", "-certs", cert, "-key", key, "-n", "Nimbrel",
                      "-in", source, "-out", target])
        expect(signed.returncode == 0, f"osslsigncode sign: {signed.stderr.strip()[-300:]}")
        return target

    def verify(path):
        return run(["osslsigncode", "verify", "-CAfile", cert, "-in", path])

    return sign, verify


def wine_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def file_sizes(folder):
    """{relative path: size} of every file below folder."""
    return {os.path.relpath(os.path.join(top, f), folder): os.path.getsize(os.path.join(top, f))
            for top, _, files in os.walk(folder) for f in files}


def start_under_wine(args, launcher, sizes, name):
    """Starts launcher with the sample application told to end soon; checks its exit code and
    that the per-user folder then holds files of the given {relative path: size}."""
    prefix = os.path.join(args.build_root, "wineprefix-x64" if args.wine_arch == "x64"
                          else "wineprefix")
    folders = [f for f in glob.glob(os.path.join(prefix, "drive_c/users/*/AppData/Local"))
               if "/Public/" not in f]
    if not expect(folders, f"no per-user folder in {prefix}"):
        return
    working = os.path.join(folders[0], "Nimbrel")
    shutil.rmtree(working, ignore_errors=True)
    env = dict(os.environ, NIMBREL_SAMPLE_EXIT_AFTER_MS="300")
    start = time.monotonic()
    result = run([args.wine_run, args.wine_arch, args.build_root, launcher], env=env, timeout=120)
    seconds = time.monotonic() - start
    expect(result.returncode == 0, f"{name} under Wine exited {result.returncode}" +
           (" (-200: the watchdog's five seconds ran out)" if result.returncode == 56 else ""))
    for path, size in sizes.items():
        target = os.path.join(working, path)
        if not expect(os.path.isfile(target) and os.path.getsize(target) == size,
                      f"{name}: {target} was not written right"):
            return
    print(f"{name}: first start under Wine exited {result.returncode} after {seconds:.2f} s")
    time.sleep(1)
    shutil.rmtree(working, ignore_errors=True)


def check_without_wine(args, embedder, payload, full, folder, signed, big, sign, verify):
    linked = pefile.PE(args.linked_launcher)
    pe = check_layout(full, args.launcher, "full.exe")
    expect(resources(pe) == resources(linked),
           "the resources differ from those of the launcher linked with the same payload")
    check_executable(args, full, *payload)

    # The identities the release process relies on; runs from other inputs that must give the
    # same bytes show determinism too.
    small_dir = os.path.join(args.work, "small")
    write(os.path.join(small_dir, "Nimbrel.exe"), b"small payload\n")
    small, _ = embedder.embed("small.exe", args.launcher, small_dir)
    twice, _ = embedder.embed("twice.exe", small, payload)
    expect(read(twice) == read(full), "embed(embed(L, A), B) differs from embed(L, B)")
    own, _ = embedder.embed("own.exe", args.linked_launcher, payload)
    expect(resources(pefile.PE(own)) == resources(linked),
           "embedding a launcher's own payload changed its resources")
    CheckExecutable.load_build_facts(args.ids, args.version_header)
    version = CheckExecutable.VERSION_STRINGS["FileVersion"]
    same, _ = embedder.embed("same.exe", args.launcher, payload, "--icon", args.icon,
                             "--file-version", version, "--product-version", version)
    expect(resources(pefile.PE(same)) == resources(linked),
           "the launcher's own icon and version, given again, do not give the linker's resources")

    ico = os.path.join(args.work, "other.ico")
    make_icon(ico)
    versioned, _ = embedder.embed("versioned.exe", args.launcher, payload, "--icon", ico,
                                  "--file-version", "2025.2.3.4", "--product-version", "2025.2.0.0")
    check_version_and_icon(check_layout(versioned, args.launcher, "versioned.exe"), linked)

    packed = [os.path.join(args.work, name) for name in ("folder.manifest", "folder.blob")]
    run([args.pack, "pack", args.payload_dir, "--manifest", packed[0], "--blob", packed[1],
         "--level", FOLDER_LEVEL])
    from_files, _ = embedder.embed("folder-files.exe", args.launcher, tuple(packed))
    expect(read(folder) == read(from_files),
           "embed of a folder differs from embed of the files pack made of it")

    check_refusals(args, embedder, payload, sign)
    check_temporaries(args, payload, full, small, small_dir)
    verified = verify(signed)
    expect(verified.returncode == 0, f"osslsigncode verify: {verified.stdout.strip()[-400:]}")
    expect(pefile.PE(signed).verify_checksum(), "the signed launcher's checksum is wrong")
    checked = run([args.pack, "check", signed])
    listed = run([args.pack, "list", signed])
    expect(checked.returncode == 0 and listed.returncode == 0 and
           listed.stdout == run([args.pack, "list", full]).stdout,
           f"check and list of the signed launcher: {checked.stderr.strip()} {listed.stderr.strip()}")
    print("signed: osslsigncode verify passed; nimbrel-pack check and list read the signed file")

    check_layout(big, args.launcher, "big.exe")
    check_executable(args, big, icon=False)
    expect(run([args.pack, "check", big]).returncode == 0, "check of the 60 MB launcher failed")

    # The launcher built without a payload, as check describes it.
    if not any(k[:2] == (CheckExecutable.RT_RCDATA, CheckExecutable.PAYLOAD_MANIFEST_ID)
               for k in resources(pefile.PE(args.launcher))):
        said = run([args.pack, "check", args.launcher])
        expect(said.returncode == 1 and "no payload" in said.stderr and "1.1.0" in said.stderr,
               f"check of the launcher without a payload said: {said.stderr.strip()}")
        # As a release script checks what it was given: the empty launcher, signed or not.
        signed_empty = os.path.join(args.work, "signed-template.exe")
        for path, code in ((args.launcher, 0), (signed_empty, 0), (full, 1), (signed, 1),
                           (args.sample_application, 1)):
            said = run([args.pack, "check", "--expect-no-payload", path])
            expect(said.returncode == code, f"check --expect-no-payload {os.path.basename(path)} "
                   f"exited {said.returncode}, expected {code}: {said.stderr.strip()}")
    for name in ("full.exe", "big.exe"):
        print(f"pefile on {name}: {len(pefile.PE(os.path.join(args.work, name)).get_warnings())} "
              "warnings, checksum right, layout and resources as checked above")


def check_under_wine(args, folder, signed, big, big_dir):
    windows_out = os.path.join(args.work, "windows.exe")
    start = time.monotonic()
    result = run([args.wine_run, args.wine_arch, args.build_root, args.windows_pack, "embed",
                  wine_path(args.launcher), wine_path(args.payload_dir), "-o",
                  wine_path(windows_out), "--level", FOLDER_LEVEL], timeout=600)
    expect(result.returncode == 0, f"the Windows nimbrel-pack: {result.stderr.strip()[-400:]}")
    expect(os.path.exists(windows_out) and read(windows_out) == read(folder),
           "the Windows nimbrel-pack gives other bytes than the Linux one")
    print(f"the Windows nimbrel-pack, packing the folder under Wine, gives the same bytes "
          f"({time.monotonic() - start:.2f} s)")
    start_under_wine(args, signed, file_sizes(args.payload_dir), "signed launcher")
    start_under_wine(args, big, file_sizes(big_dir), "60 MB launcher")


def check_near_budget(args):
    """A payload of incompressible files whose first start needs just less than the budget of
    the large-address-aware launcher: embed takes it, check has no warning, and it starts under
    32-bit Wine and writes every file. Twenty more megabytes and embed refuses it."""
    folder = os.path.join(args.work, "near-budget")
    os.makedirs(folder)
    shutil.copyfile(args.sample_application, os.path.join(folder, "Nimbrel.exe"))
    for i, size in enumerate([100_000_000] * 16 + [95_000_000]):
        write(os.path.join(folder, f"part{i:02}.bin"), os.urandom(size))
    more = os.path.join(folder, "more.bin")
    write(more, os.urandom(20_000_000))
    embedder = Embedder(args.pack, args.work)
    over, result = embedder.embed("over.exe", args.launcher, folder, "--level", "1", expect_code=1)
    expect("refused: a first start needs" in result.stderr and "nothing written" in result.stderr
           and not os.path.exists(over), f"embed above the budget said: {result.stderr.strip()}")
    print(f"above the budget: {result.stderr.strip().splitlines()[-2]}")
    os.remove(more)
    near, _ = embedder.embed("near.exe", args.launcher, folder, "--level", "1")
    sizes = file_sizes(folder)
    print(f"embed of {sum(sizes.values()) // 1_000_000} MB near the budget: "
          f"{embedder.timings['near.exe']:.1f} s")
    if os.path.exists(near):
        # The start is bound to five seconds by its watchdog and takes about as long on a machine
        # of two cores, so it gets the disk to itself: the input is deleted and the launcher
        # written out before it, and check runs only after it.
        shutil.rmtree(folder)
        os.sync()
        start_under_wine(args, near, sizes, "launcher near the budget")
        checked = run([args.pack, "check", near])
        expect(checked.returncode == 0 and "warning" not in checked.stderr,
               f"check of the launcher near the budget: {checked.stderr.strip()}")
        os.remove(near)
    shutil.rmtree(folder, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pack", required=True, help="the host nimbrel-pack")
    parser.add_argument("--launcher", required=True, help="the launcher built without a payload")
    parser.add_argument("--linked-launcher", required=True,
                        help="a launcher the linker built with the payload files below")
    parser.add_argument("--ids", required=True, help="Launcher/base/ResourceIds.h")
    parser.add_argument("--version-header", required=True, help="the generated Version.h")
    for name in ("payload-dir", "payload-manifest", "payload-blob", "sample-application", "work",
                 "check-executable", "objdump", "machine", "icon", "app-manifest"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--wine", action="store_true", help="also the checks under Wine")
    parser.add_argument("--windows-pack", help="the Windows nimbrel-pack.exe, with --wine")
    parser.add_argument("--wine-run", help="scripts/wine-run, with --wine")
    parser.add_argument("--wine-arch")
    parser.add_argument("--build-root")
    parser.add_argument("--near-budget", action="store_true",
                        help="with --wine, only the start of a payload just below the budget")
    args = parser.parse_args()

    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    if args.near_budget:
        check_near_budget(args)
        return finish()
    embedder = Embedder(args.pack, args.work)
    payload = (args.payload_manifest, args.payload_blob)
    full, _ = embedder.embed("full.exe", args.launcher, payload)
    folder, _ = embedder.embed("folder.exe", args.launcher, args.payload_dir, "--level",
                               FOLDER_LEVEL)
    print(f"embed of the demo payload folder at level {FOLDER_LEVEL}: {os.path.getsize(folder)} "
          f"bytes, {embedder.timings['folder.exe']:.2f} s")
    print(f"embed of the demo payload files: {os.path.getsize(full)} bytes "
          f"(launcher {os.path.getsize(args.launcher)}), {embedder.timings['full.exe']:.2f} s")
    sign, verify = make_signer(args.work)
    signed = sign(full, os.path.join(args.work, "signed.exe"))
    big_dir = os.path.join(args.work, "big-payload")
    shutil.copytree(args.payload_dir, big_dir)
    write(os.path.join(big_dir, "assets", "big.bin"), random.Random(60).randbytes(50_000_000))
    big, _ = embedder.embed("big.exe", args.launcher, big_dir, "--level", "1")
    size = sum(file_sizes(big_dir).values())
    print(f"embed of a {size}-byte folder at level 1: {os.path.getsize(big)} bytes, "
          f"{embedder.timings['big.exe']:.2f} s")
    if args.wine:
        check_under_wine(args, folder, signed, big, big_dir)
    else:
        check_embed_memory(args, big, big_dir)
        check_without_wine(args, embedder, payload, full, folder, signed, big, sign, verify)
    hashes = {os.path.basename(p): hashlib.sha256(read(p)).hexdigest()[:16] for p in (full, signed)}
    print(f"sha256: {hashes}")
    return finish()


def finish():
    print("EmbedCheck: " + ("all checks passed" if not failures else f"{len(failures)} failed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
