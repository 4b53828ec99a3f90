"""The type stubs describe the module as it is."""
import ast
import os

import hollin0106


def stubs():
    with open(os.path.join(os.path.dirname(hollin0106.__file__), "__init__.pyi")) as f:
        return ast.parse(f.read())


def test_the_stubs_declare_every_public_name_and_member():
    tree = stubs()
    declared = {node.name for node in tree.body if isinstance(node, (ast.FunctionDef, ast.ClassDef))}
    declared |= {alias.asname for node in tree.body if isinstance(node, ast.ImportFrom) for alias in node.names}
    declared |= {node.target.id for node in tree.body if isinstance(node, ast.AnnAssign)}
    assert set(hollin0106.__all__) <= declared
    for node in tree.body:
        if isinstance(node, ast.ClassDef):
            members = {f.name for f in node.body if isinstance(f, ast.FunctionDef) and not f.name.startswith("_")}
            actual = {name for name in dir(getattr(hollin0106, node.name)) if not name.startswith("_")}
            assert members == actual, node.name

