"""FileVersion on Windows images with known version resources (tests/filelib/versions)."""
import os

import pytest

import hollin0106
from conftest import setting


def image(name):
    return os.path.join(setting("TAGSCOPE_VERSION_IMAGES"), name)


def test_every_property_reads_its_own_field():
    # full.rc: each field a value of its own, so that a property bound to its neighbour
    # shows; the pre-release flag is set outside the mask.
    v = hollin0106.FileVersion(image("full64.dll"))
    expected = {
        "signature": 0xFEEF04BD, "struc_ver_major": 1, "struc_ver_minor": 0,
        "file_ver_major": 5, "file_ver_minor": 6, "file_ver_revision_major": 7, "file_ver_revision_minor": 8,
        "product_ver_major": 1, "product_ver_minor": 2, "product_ver_revision_major": 3,
        "product_ver_revision_minor": 40000, "file_version": (5, 6, 7, 8), "product_version": (1, 2, 3, 40000),
        "file_flags_mask": 0x29, "file_flags": 0x2B, "file_os": 0x40004, "file_type": 2, "file_subtype": 0,
        "file_date_ms": 0, "file_date_ls": 0,
        "file_flag_debug": True, "file_flag_pre_release": False, "file_flag_patched": False,
        "file_flag_private_build": True, "file_flag_info_inferred": False, "file_flag_special_build": True,
        "translation_language_id": 0x409, "translation_charset": 1200,
        "translation_language_name": "English (United States)",
        "str_company_name": "Орла Венн — Ørsted", "str_file_description": "Version test image",
        "str_file_version": "5.6.7.8", "str_product_version": "1.2.3.40000", "str_private_build": "",
        "str_comments": None, "str_internal_name": None, "str_legal_copyright": None,
        "str_legal_trademarks": None, "str_ole_self_register": None, "str_original_filename": None,
        "str_product_name": None, "str_special_build": None,
        "path": image("full64.dll"),
    }
    assert {name: getattr(v, name) for name in expected} == expected
    assert v.info_buffer[6:38] == "VS_VERSION_INFO".encode("utf-16-le") + b"\0\0"
    assert hollin0106.FileVersion.get_language_name(0x0C07) == "German (Austria)"


def test_files_without_a_readable_resource_raise(tmp_path):
    with pytest.raises(hollin0106.Error) as none:
        hollin0106.FileVersion(image("notranslation.dll"))
    assert none.value.number is None and none.value.path == image("notranslation.dll")
    with pytest.raises(IsADirectoryError):
        hollin0106.FileVersion(tmp_path)
